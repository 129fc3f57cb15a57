#include "windows/LatestPicture.h"

#include <QMetaObject>
#include <exception>

namespace pixtrel {

LatestPicture::LatestPicture(QObject* parent) : QObject(parent) {
  thread_ = std::thread([this] { run(); });
}

LatestPicture::~LatestPicture() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    waiting_.reset();
  }
  wake_.notify_all();
  thread_.join();
}

void LatestPicture::request(Work work, Done done) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = Job{++newest_, std::move(work), std::move(done)};
  }
  wake_.notify_all();
}

void LatestPicture::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_.reset();
  answered_ = ++newest_;
}

bool LatestPicture::busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return answered_ != newest_;
}

void LatestPicture::run() {
  for (;;) {
    Job job{};
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || waiting_; });
      if (quit_) return;
      job = std::move(*waiting_);
      waiting_.reset();
    }
    ShownPicture picture;
    try {
      picture = job.work();
    } catch (const std::exception&) {
      picture = ShownPicture();
    }
    // Handed to the owner's thread; there it counts only if no newer request came meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, id = job.id, done = std::move(job.done), picture = std::move(picture)] {
          {
            std::lock_guard<std::mutex> lock(mutex_);
            if (id != newest_) return;
            answered_ = id;
          }
          done(picture);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace pixtrel

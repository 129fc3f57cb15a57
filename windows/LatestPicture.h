#pragma once
// Pictures for display decoded on a thread of their own, so the window answers while a large
// photo is read. Only the newest request counts: one not yet started is replaced by the next,
// and the result of one overtaken while it was being decoded is dropped.
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace pixtrel {

// What a decode gives: the picture as shown, and what the caller asked to have with it.
struct ShownPicture {
  bool ok = false;
  QImage image;    // as decoded (for display, at least the size shown)
  QImage fitted;   // scaled down for a first view, when asked for
  QSize fullSize;  // the upright picture's own size
};

class LatestPicture : public QObject {
  Q_OBJECT
 public:
  // Runs on the decoding thread; any exception counts as a picture that cannot be shown.
  using Work = std::function<ShownPicture()>;
  // Runs on the owner's thread, only for the newest request.
  using Done = std::function<void(const ShownPicture&)>;

  explicit LatestPicture(QObject* parent = nullptr);
  // Waits for a decode under way; its result is dropped.
  ~LatestPicture() override;

  void request(Work work, Done done);
  // Drops every request made so far.
  void cancel();
  // True while a request is waiting, being decoded or its result is on its way.
  bool busy() const;

 private:
  void run();

  struct Job {
    quint64 id;
    Work work;
    Done done;
  };
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> waiting_;
  quint64 newest_ = 0;    // the id of the last request
  quint64 answered_ = 0;  // the id of the last request whose answer has come back or was dropped
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace pixtrel

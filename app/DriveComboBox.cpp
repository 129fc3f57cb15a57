#include "app/DriveComboBox.h"

#include <QDir>
#include <QStorageInfo>

namespace pixtrel {
namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// Volumes that hold no user files.
bool IsSystemVolume(const QString& root) {
  for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var/lib"}) {
    const QString p = QString::fromLatin1(prefix);
    if (root == p || root.startsWith(p + u'/')) {
      return !root.startsWith(QStringLiteral("/run/media/"));
    }
  }
  return false;
}

}  // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(8);
  readVolumes();
  connect(this, &QComboBox::activated, this,
          [this](int index) { emit volumePicked(itemData(index).toString()); });
}

void DriveComboBox::readVolumes() {
  QStringList roots;
  roots.append(QStorageInfo::root().rootPath());
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = volume.rootPath();
    if (IsSystemVolume(root) || roots.contains(root)) continue;
    roots.append(root);
  }
  const QSignalBlocker blocker(this);
  clear();
  for (const QString& root : roots)
    addItem(QDir::toNativeSeparators(root), root);
  if (!shownPath_.isEmpty()) showVolumeOf(shownPath_);
}

QString DriveComboBox::RootOf(const QStringList& roots, const QString& path) {
  QString best;
  for (const QString& root : roots) {
    const QString withSlash = root.endsWith(u'/') ? root : root + u'/';
    const bool inside = path.compare(root, kPathCase) == 0 || path.startsWith(withSlash, kPathCase);
    if (inside && root.size() > best.size()) best = root;
  }
  return best;
}

void DriveComboBox::showVolumeOf(const QString& path) {
  shownPath_ = path;
  QStringList roots;
  for (int i = 0; i < count(); ++i)
    roots.append(itemData(i).toString());
  const int index = findData(RootOf(roots, path));
  const QSignalBlocker blocker(this);
  setCurrentIndex(index);
}

void DriveComboBox::showPopup() {
  readVolumes();
  QComboBox::showPopup();
}

}  // namespace pixtrel

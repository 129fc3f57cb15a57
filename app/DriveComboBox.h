#pragma once
// The drive selector: the file system's root and the mounted volumes (on Windows, the drives).
// The list is read anew whenever it opens, so a volume mounted meanwhile shows up.
#include <QComboBox>

namespace pixtrel {

class DriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveComboBox(QWidget* parent = nullptr);

  // Reads the volumes anew, keeping the shown one.
  void readVolumes();
  // Shows the volume that holds the path (the longest matching root).
  void showVolumeOf(const QString& path);
  QString currentRoot() const { return currentData().toString(); }
  static QString RootOf(const QStringList& roots, const QString& path);

  void showPopup() override;

 signals:
  void volumePicked(const QString& root);

 private:
  QString shownPath_;
};

}  // namespace pixtrel

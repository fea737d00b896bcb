#pragma once

#include <QDialog>
#include <QString>

namespace zendra {

// The program's version, shown in the About box.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 2;
inline constexpr int kVersionRevision = 3;

// "Version " and the version as major.minor.revision, the minor number with two digits
// and the revision with three: 1, 2, 3 gives "Version 1.02.003".
QString versionText(int versionMajor, int versionMinor, int revision);

// The About box: the program's name, version, a picture and the legal notice.
class dlgAbout : public QDialog {
  Q_OBJECT

 public:
  explicit dlgAbout(QWidget* parent = nullptr);
};

}  // namespace zendra

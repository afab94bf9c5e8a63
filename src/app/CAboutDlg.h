#pragma once

#include <QCoreApplication>
#include <QDialog>

#include <array>
#include <optional>

namespace sortana {

class Platform;

inline constexpr auto makerWebAddress = "https://www.verdell.example/sortana/";

// The program's version as built: four numbers, or nothing when the build gave none that
// reads as such.
std::optional<std::array<int, 4>> programVersion();

// The program's version, the maker's address, and the Web Site button, which opens the guide.
class CAboutDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(CAboutDlg)

public:
    explicit CAboutDlg(Platform &platform, QWidget *parent = nullptr);
};

} // namespace sortana

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
class AboutDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(AboutDialog)

public:
    explicit AboutDialog(Platform &platform, QWidget *parent = nullptr);
};

} // namespace sortana

#pragma once
// The About dialog: the program's picture, name, version, copyright and comments from the
// version information it carries, and the link to the online support page.

#include "VersionInfo.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfmAbout;
}

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    // Reads the texts from the program's own version information unless others are given.
    explicit TfmAbout(QWidget* owner = nullptr,
                      const std::function<std::optional<TVersionBlock>()>& readBlock = ReadOwnVersionBlock);
    ~TfmAbout() override;

    void laOnlineSupportMouseEnter();
    void laOnlineSupportMouseLeave();
    void laOnlineSupportClick();

private:
    void SetLinkColour(QPalette::ColorRole role);

    std::unique_ptr<Ui::TfmAbout> ui;
};

// Shows the About dialog modally over its owner (tests replace this with a recorder).
void ShowAboutDialog(QWidget* owner);
std::function<void(QWidget*)> SetAboutDialogPresenter(std::function<void(QWidget*)> presenter);

#include "AboutDialog.h"

#include "ui_AboutDialog.h"

#include "ProgramPicture.h"
#include "ReplaceableFunction.h"
#include "SupportLink.h"

#include <QStyle>

namespace {

void PresentModally(QWidget* owner)
{
    TfmAbout dialog(owner);
    dialog.exec();
}

TReplaceableFunction<void(QWidget*)>& Presenter()
{
    static TReplaceableFunction<void(QWidget*)> presenter(PresentModally);
    return presenter;
}

}  // namespace

TfmAbout::TfmAbout(QWidget* owner, const std::function<std::optional<TVersionBlock>()>& readBlock)
    : QDialog(owner), ui(std::make_unique<Ui::TfmAbout>())
{
    ui->setupUi(this);
    setFixedSize(517, 197);
    ui->ProgramIcon->setPixmap(QPixmap::fromImage(ProgramPicture(120)));
    ui->btOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    QFont underlined = ui->laOnlineSupport->font();
    underlined.setUnderline(true);
    ui->laOnlineSupport->setFont(underlined);
    SetLinkColour(QPalette::Highlight);

    connect(ui->btOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->laOnlineSupport, &TLinkLabel::MouseEntered, this, &TfmAbout::laOnlineSupportMouseEnter);
    connect(ui->laOnlineSupport, &TLinkLabel::MouseLeft, this, &TfmAbout::laOnlineSupportMouseLeave);
    connect(ui->laOnlineSupport, &TLinkLabel::Clicked, this, &TfmAbout::laOnlineSupportClick);

    const TAboutTexts texts = ReadAboutTexts(readBlock);
    ui->laProductName->setText(texts.ProductName);
    ui->laFileVersion->setText(texts.Version);
    ui->laProductCopyright->setText(texts.Copyright);
    ui->laProductComments->setText(texts.Comments);
}

TfmAbout::~TfmAbout() = default;

void TfmAbout::SetLinkColour(QPalette::ColorRole role)
{
    // The link is drawn in the menu-highlight colour, and in the hot-track colour under the mouse.
    QPalette palette = ui->laOnlineSupport->palette();
    palette.setColor(QPalette::WindowText, QApplication::palette().color(role));
    ui->laOnlineSupport->setPalette(palette);
}

void TfmAbout::laOnlineSupportMouseEnter()
{
    SetLinkColour(QPalette::Link);
}

void TfmAbout::laOnlineSupportMouseLeave()
{
    SetLinkColour(QPalette::Highlight);
}

void TfmAbout::laOnlineSupportClick()
{
    OpenSupportPage();
}

void ShowAboutDialog(QWidget* owner)
{
    Presenter()(owner);
}

std::function<void(QWidget*)> SetAboutDialogPresenter(std::function<void(QWidget*)> presenter)
{
    return Presenter().Replace(std::move(presenter));
}

#include "app/frm_loading.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 143;

} // namespace

frmLoading::frmLoading(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(kWidth, kHeight);
    // A notice only: the keyboard stays with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label1 = new QLabel(QStringLiteral("Please wait..."), Frame1);
    Label1->setAlignment(Qt::AlignCenter);
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        Label1->setFont(QFont(QStringLiteral("Tahoma")));

    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Label1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Frame1);

    if (const QScreen* shown = screen())
        move(shown->geometry().center() - rect().center());
}

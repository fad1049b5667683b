#include "TSplash.h"

#include "ui/Fonts.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

TSplash* Splash = nullptr;

TSplash::TSplash(QWidget* parent)
    // A plain borderless window, not a splash-screen type kept on top: the message boxes of the
    // start-up must come up over it.
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Splash"));
    setFont(vk::fonts::sansSerif(11));
    setFixedSize(290, 168);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(0, 0, 290, 131);
    m_image->setPixmap(QPixmap(QStringLiteral(":/veskor/veskor.jpg")));

    // Created after the picture, so its top lies over it.
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setGeometry(1, 128, 288, 17);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->setTextVisible(true);
    m_progress->setAlignment(Qt::AlignCenter);
    QFont bold = font();
    bold.setBold(true);
    m_progress->setFont(bold);

    m_status = new QLabel(QStringLiteral("Analysing Installed Talvo Components..."), this);
    m_status->setObjectName(QStringLiteral("Label1"));
    m_status->setGeometry(0, 150, 289, 13);
    m_status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_status->setTextFormat(Qt::PlainText);
}

void TSplash::setProgress(int percent) {
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void TSplash::centre() {
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

#include "app/frmSplash.h"

#include "widgets/Twips.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Orvanta"));
    // Closing the splash is never the end of the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(Twips::size(7380, 4140));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(Twips::rect(150, 60, 7080, 3990));

    auto* image = new QLabel(frame);
    image->setObjectName(QStringLiteral("imgLogo"));
    image->setGeometry(Twips::rect(360, 795, 1815, 1815));
    image->setScaledContents(true);
    image->setPixmap(logo(image->size()));

    auto* product = new QLabel(QStringLiteral("Orvanta"), frame);
    product->setObjectName(QStringLiteral("lblProductName"));
    product->setGeometry(Twips::rect(2670, 900, 4200, 765));
    QFont productFont = product->font();
    productFont.setPointSizeF(28);
    productFont.setBold(true);
    product->setFont(productFont);

    const QString version = QCoreApplication::applicationVersion();
    auto* versionLabel =
        new QLabel(version.isEmpty() ? QStringLiteral("Version") : QStringLiteral("Version %1").arg(version), frame);
    versionLabel->setObjectName(QStringLiteral("lblVersion"));
    versionLabel->setGeometry(Twips::rect(2670, 1740, 4200, 300));

    auto* description = new QLabel(QStringLiteral("Clients, documents, resources and events of the office"), frame);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setGeometry(Twips::rect(2670, 2160, 4200, 600));
    description->setWordWrap(true);
}

void frmSplash::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        load();
    }
    QWidget::setVisible(visible);
}

void frmSplash::load()
{
    m_resizer.load(this);
}

void frmSplash::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_resizer.resized(this);
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    close();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    QWidget::keyPressEvent(event);
    close();
}

QPixmap frmSplash::logo(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(pixmap.rect()).adjusted(2, 2, -2, -2);
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor(40, 96, 160));
    gradient.setColorAt(1, QColor(20, 50, 90));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(area, area.width() / 6, area.height() / 6);
    painter.setPen(QPen(Qt::white, area.width() / 10));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(area.adjusted(area.width() / 4, area.height() / 4, -area.width() / 4, -area.height() / 4));
    return pixmap;
}

#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

namespace {

constexpr double FallbackDpi = 96.0;

double usable(double dpi)
{
    return dpi > 0.0 ? dpi : FallbackDpi;
}

} // namespace

double Twips::dpiX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return usable(screen ? screen->logicalDotsPerInchX() : FallbackDpi);
}

double Twips::dpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return usable(screen ? screen->logicalDotsPerInchY() : FallbackDpi);
}

int Twips::toPixelsX(double twips)
{
    return qRound(twips * dpiX() / PerInch);
}

int Twips::toPixelsY(double twips)
{
    return qRound(twips * dpiY() / PerInch);
}

double Twips::fromPixelsX(int pixels)
{
    return pixels * PerInch / dpiX();
}

double Twips::fromPixelsY(int pixels)
{
    return pixels * PerInch / dpiY();
}

QRect Twips::rect(double left, double top, double width, double height)
{
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

QSize Twips::size(double width, double height)
{
    return QSize(toPixelsX(width), toPixelsY(height));
}

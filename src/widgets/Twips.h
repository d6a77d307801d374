#pragma once

#include <QRect>
#include <QSize>

// Window layouts are designed in twips (1440 per inch). This is the one place that turns
// them into pixels of the screen the program runs on, and back.
class Twips
{
public:
    static constexpr double PerInch = 1440.0;

    // Logical dots per inch of the primary screen; 96 when there is no screen.
    static double dpiX();
    static double dpiY();

    static int toPixelsX(double twips);
    static int toPixelsY(double twips);
    static double fromPixelsX(int pixels);
    static double fromPixelsY(int pixels);

    static QRect rect(double left, double top, double width, double height);
    static QSize size(double width, double height);
};

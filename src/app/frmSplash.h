#pragma once

#include "widgets/ProportionalResizer.h"

#include <QWidget>

class QLabel;

// The window shown while the program starts after a login. A click or a key closes it early.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    static QPixmap logo(const QSize& size);

    ProportionalResizer m_resizer;
    bool m_loaded = false;
};

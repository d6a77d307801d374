#pragma once

#include <QObject>
#include <cstdint>

// Notes when a watched widget is painted for the first time (monotonic nanoseconds).
class PaintWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool painted() const { return m_painted; }
    std::int64_t paintedAt() const { return m_paintedAt; }

private:
    bool m_painted = false;
    std::int64_t m_paintedAt = 0;
};

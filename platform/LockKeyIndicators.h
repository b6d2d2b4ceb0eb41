#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

struct xcb_connection_t;

// The keyboard's Caps, Num and Scroll Lock lights as the X server keeps them,
// read through its keyboard extension, with a notice whenever one changes.
// Where there is no X server (Wayland, offscreen) nothing can be read: the
// object is not available and every lock reads as off.
class LockKeyIndicators : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    enum Lock { Caps, Num, Scroll, LockCount };

    explicit LockKeyIndicators(QObject* parent = nullptr);
    ~LockKeyIndicators() override;

    bool IsAvailable() const { return m_connection != nullptr; }
    bool IsOn(Lock lock) const { return m_on[lock]; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void Changed();

private:
    void Refresh();

    xcb_connection_t* m_connection = nullptr;
    uint8_t m_firstEvent = 0;
    uint32_t m_names[LockCount] = {};
    bool m_on[LockCount] = {};
};

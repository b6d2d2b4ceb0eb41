#include "platform/LockKeyIndicators.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>
// The C header names a field after a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {

// The indicator names every X keyboard map gives these three lights.
const char* const kIndicatorNames[LockKeyIndicators::LockCount] = {"Caps Lock", "Num Lock",
                                                                   "Scroll Lock"};

xcb_connection_t* X11Connection()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

} // namespace

LockKeyIndicators::LockKeyIndicators(QObject* parent) : QObject(parent)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection)
        return;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!extension || !extension->present)
        return;
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        connection,
        xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    if (!supported)
        return;

    xcb_intern_atom_cookie_t cookies[LockCount];
    for (int i = 0; i < LockCount; ++i)
        cookies[i] =
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(kIndicatorNames[i])),
                            kIndicatorNames[i]);
    for (int i = 0; i < LockCount; ++i) {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        m_names[i] = atom ? atom->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
        std::free(atom);
    }

    // Only the indicator notices are touched: what the toolkit selected on the
    // same connection (keymap and state notices) stays as it is.
    const uint16_t which = XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY;
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_xkb_select_events_checked(connection, XCB_XKB_ID_USE_CORE_KBD, which, 0,
                                                  which, 0, 0, nullptr));
    if (error) {
        std::free(error);
        return;
    }
    m_connection = connection;
    m_firstEvent = extension->first_event;
    Refresh();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

LockKeyIndicators::~LockKeyIndicators()
{
    if (m_connection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool LockKeyIndicators::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !m_connection)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_firstEvent)
        return false;
    // Byte 1 of every keyboard-extension event names its kind. A new keyboard
    // may come with other lights; re-read on that too.
    const uint8_t kind =
        reinterpret_cast<const xcb_xkb_indicator_state_notify_event_t*>(event)->xkbType;
    if (kind == XCB_XKB_INDICATOR_STATE_NOTIFY || kind == XCB_XKB_NEW_KEYBOARD_NOTIFY)
        Refresh();
    return false; // the toolkit still sees every event
}

void LockKeyIndicators::Refresh()
{
    xcb_xkb_get_named_indicator_cookie_t cookies[LockCount];
    for (int i = 0; i < LockCount; ++i)
        cookies[i] = xcb_xkb_get_named_indicator(m_connection, XCB_XKB_ID_USE_CORE_KBD,
                                                 XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                                 XCB_XKB_ID_DFLT_XI_ID, m_names[i]);
    bool changed = false;
    for (int i = 0; i < LockCount; ++i) {
        xcb_xkb_get_named_indicator_reply_t* reply =
            xcb_xkb_get_named_indicator_reply(m_connection, cookies[i], nullptr);
        const bool on = reply && reply->found && reply->on;
        std::free(reply);
        changed = changed || on != m_on[i];
        m_on[i] = on;
    }
    if (changed)
        emit Changed();
}

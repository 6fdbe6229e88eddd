#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// What the X server holds about a window, read through the application's own connection (the
// xcb platform only).
class X11Properties {
public:
    X11Properties()
        : connection(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection()),
          root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {}

    xcb_atom_t atom(const char* name) {
        auto cookie = xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    // The 32-bit values of the property, empty when it is not set.
    std::vector<std::uint32_t> values(xcb_window_t window, const char* name) {
        auto cookie =
            xcb_get_property(connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
        std::vector<std::uint32_t> result;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            result.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return result;
    }

    bool holds(xcb_window_t window, const char* property, const char* value) {
        const std::vector<std::uint32_t> list = values(window, property);
        return std::find(list.begin(), list.end(), atom(value)) != list.end();
    }

    // Asks the window manager to minimize the window, as a pager or a taskbar does.
    void requestIconic(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_CHANGE_STATE");
        event.data.data32[0] = 3; // IconicState
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
    }

    xcb_connection_t* const connection;
    const xcb_window_t root;
};

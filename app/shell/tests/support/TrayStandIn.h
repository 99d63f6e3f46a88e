#pragma once

#include "WindowMessages.h"

#include <QWidget>

#include <utility>
#include <vector>

// A hidden window standing where the tray window is (title "TARVIK_TRAY_WND"): it records the
// 0x83E8 messages it is sent or posted, and swallows every other window message.
class TrayStandIn : public QWidget {
public:
    TrayStandIn()
    {
        setWindowTitle("TARVIK_TRAY_WND");
        MarkHiddenWindow(this);
    }
    std::vector<std::pair<WPARAM, LPARAM>> keys;

    // The codes alone, in order.
    std::vector<WPARAM> codes() const
    {
        std::vector<WPARAM> result;
        for (const auto& [code, extra] : keys)
            result.push_back(code);
        return result;
    }

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event)) {
            if (m->message == WM_TRAY_KEY)
                keys.emplace_back(m->wParam, m->lParam);
            return true;
        }
        return QWidget::event(event);
    }
};

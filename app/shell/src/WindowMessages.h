#pragma once

// Messages between the program's windows. Windows find each other by title and talk with numbered
// messages, delivered here as Qt events whose type is the message number: a sent message is handled
// before SendMessage returns (marshalled to the window's thread when called from another), a posted
// one is queued. A widget receives them by overriding event() (CPageDlg does, see WindowProc).

#include <QEvent>
#include <QString>

#include <cstdint>
#include <initializer_list>

class QWidget;

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Dialog results and the command ids that produce them.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The system's own messages (receivers in brackets).
inline constexpr UINT WM_BITMAPSLIDER_MOVING = 0x7E8; // slider thumb moving [its page]: control id, position
inline constexpr UINT WM_CLOSE_CHILDREN = 0x7E9;      // close the pages you have open [main window, pages]
inline constexpr UINT WM_OPEN_VEHICLE = 0x7EA;        // open the vehicle status page [main window]
inline constexpr UINT WM_OPEN_SYSTEM_SETTING = 0x7EB; // open the system settings page [main window]
inline constexpr UINT WM_COMM_REFRESH = 0x7EC;        // WWAN settings closed, refresh [communication page]
inline constexpr UINT WM_LOCATION_REFRESH = 0x7ED;    // GPS settings closed, refresh [location page]
inline constexpr UINT WM_TRAY_KEY = 0x83E8;           // scan code or wake-up code [tray window]
// Numbers of our own: the slider's release, which a page must tell apart from 0x7E9, and the
// command message (WM_COMMAND's number is below the range Qt leaves to applications).
inline constexpr UINT WM_BITMAPSLIDER_MOVED = 0x7F0;  // slider released [its page]: control id, position
inline constexpr UINT WM_COMMAND_MSG = 0x7F1;         // wParam: id in the low word, code in the high word

// The notification code of a command a button sends when it is clicked (BN_CLICKED's number).
inline constexpr int BN_CLICKED = 0;

inline constexpr WPARAM MakeCommandWParam(int id, int code)
{
    return (static_cast<WPARAM>(static_cast<std::uint16_t>(code)) << 16) | static_cast<std::uint16_t>(id);
}
inline constexpr int CommandId(WPARAM w) { return static_cast<int>(w & 0xFFFF); }
inline constexpr int CommandCode(WPARAM w) { return static_cast<int>((w >> 16) & 0xFFFF); }

// One message as an event. result carries a sent message's answer back to SendMessage.
class CWndMessageEvent final : public QEvent {
public:
    CWndMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(static_cast<QEvent::Type>(message)), message(message), wParam(wParam), lParam(lParam)
    {
    }
    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
    LRESULT result = 0;
};

// The event as a message, or nullptr when it is some other event.
CWndMessageEvent* AsWndMessage(QEvent* event);

// Handles the message on the window's thread and returns its result; 0 for no window.
LRESULT SendMessage(QWidget* window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message; false for no window. Any thread.
bool PostMessage(QWidget* window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Sends a command (an id such as IDOK or IDCANCEL, notification code 0).
LRESULT SendCommand(QWidget* window, int id, int code = 0);

// The first of the program's top-level windows with this title, or nullptr. A window counts while
// it is shown; a hidden one only when marked with MarkHiddenWindow (the tray window), since a page
// whose modal run has ended is gone as far as other windows are concerned. Any thread.
QWidget* FindWindowByTitle(const QString& title);
void MarkHiddenWindow(QWidget* window);

// For each title in order: if such a window exists, send it WM_CLOSE_CHILDREN, then the IDCANCEL
// command. How the main window and the pages close what they have open.
void CloseWindowsByTitle(std::initializer_list<const wchar_t*> titles);

#pragma once

#include "CPageDlg.h"

#include <array>

// The program's message box: a 500x300 picture, the message in white (up to three lines fit) and one
// OK button. Shown through ShowMessageBox.
class GU_MyMessageboxDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kOkButtonId = 1233;
    static constexpr int kTextId = 1277;
    // The message buffer, terminator included: longer texts are cut.
    static constexpr std::size_t kTextChars = 1024;

    explicit GU_MyMessageboxDlg(QWidget* parent = nullptr);

    // Copies at most kTextChars - 1 characters; null shows an empty box.
    void SetText(const wchar_t* text);
    std::wstring text() const { return m_text.data(); }

protected:
    bool OnInitDialog() override;

private:
    std::array<wchar_t, kTextChars> m_text{};
};

// Shows the message box modally and returns when the user has pressed OK (the box's result, which
// callers ignore). Callable from any thread: a worker thread's call runs the box on the interface
// thread and waits for it. Calls are served one at a time: a call made while a box is open waits until
// that box has been closed, so two boxes never release each other's object. A worker that calls this
// must not be joined by the interface thread without processing events, or both wait for ever.
int ShowMessageBox(const wchar_t* text);
// The result of ShowMessageBoxFor when the box closed (or never opened) because its page had gone.
constexpr int kMessageBoxOwnerGone = -1;
// ShowMessageBox on the interface thread for a box that belongs to the open page owner: it is not
// shown when owner has already closed by its turn, and it closes by itself when owner closes or goes.
// Returns kMessageBoxOwnerGone then, and the box's result when the user pressed OK.
int ShowMessageBoxFor(QDialog* owner, const wchar_t* text);
// The box object shown last (tests); it lives until the next call or the end of the program.
GU_MyMessageboxDlg* LastMessageBox();

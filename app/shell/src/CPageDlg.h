#pragma once

#include "WindowMessages.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class CBitComboBox;
class CMyBitmapButton;
class QLabel;

// One static text of a page: control id, text, and its rectangle in page pixels.
struct StaticTextDef {
    int id;
    const wchar_t* text;
    int x;
    int y;
    int width;
    int height;
};

// The frame every page and dialog of the program shares: a picture, controls at fixed pixel positions
// over it, centred on the screen and kept in front, with its texts drawn straight onto the picture.
//
// Writing a page:
//
//   class GU_FooDlg : public CPageDlg {
//   public:
//       explicit GU_FooDlg(QWidget* parent = nullptr) : CPageDlg(L"GU_FooDlg", "IDB_FOOBASE_L", parent) {}
//   protected:
//       bool OnInitDialog() override {
//           CPageDlg::OnInitDialog();                       // trace, portrait flag, background, placement
//           AddHomeButton(1006, 40, 445, "IDB_FOO_HOME_L", L"OnClicked_FooHome", IDCANCEL);
//           AddStaticTexts(kTexts, MakeFont(20, 400));      // a table of StaticTextDef
//           AddButton(1010, 300, 90, "IDB_FOO_OFF_L", "IDB_FOO_ON_L", [this] { OnClicked_Foo(); });
//           SetTitle(L"FooStatus");
//           return true;
//       }
//   };
//
// and the opener runs it with DoModal(). Messages arrive in WindowProc; WM_CLOSE_CHILDREN closes the
// windows named by SetChildTitles (none by default); the IDOK and IDCANCEL commands end the page with
// that result. Numbered timers come to OnTimer.
class CPageDlg : public QDialog {
    Q_OBJECT
public:
    // className names the page in its traces; background is the page picture's name.
    CPageDlg(const wchar_t* className, const char* background, QWidget* parent = nullptr);
    ~CPageDlg() override;

    // Initialises the page (once) and runs it modally; returns the result it ended with.
    int DoModal();
    // Initialises the page (once) and shows it without a modal run (the main window).
    bool CreateModeless();
    // Ends the page with a result (its modal run returns it).
    void EndDialog(int result);
    // Ends the page and releases its window (what an owner does before deleting a page object).
    virtual void DestroyWindow();
    // True while DoModal runs.
    bool IsRunningModal() const { return m_runningModal; }

    QWidget* GetDlgItem(int id) const;
    CMyBitmapButton* Button(int id) const;
    QLabel* Text(int id) const;
    CBitComboBox* Combo(int id) const;
    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    void SetItemText(int id, const QString& text);
    QString ItemText(int id) const;

    const std::wstring& className() const { return m_className; }
    bool IsPortrait() const { return m_bPortrait; }
    QSize ScreenSize() const;
    const QPixmap& Background() const { return m_background; }
    QString BackgroundName() const { return m_backgroundName; }

signals:
    // After every completed paint of the page itself (tests and benchmarks wait for it).
    void painted();

protected:
    // The frame's set-up: trace, portrait flag, background, placement. Pages call it first.
    virtual bool OnInitDialog();
    // "<Class>: OnInitDialog()"; pages with a longer line override it.
    virtual void TraceInitDialog();
    // The page's messages; the default handles WM_CLOSE_CHILDREN with OnCloseChildren.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Sends WM_CLOSE_CHILDREN and IDCANCEL to the page's own open children (SetChildTitles); 0.
    virtual LRESULT OnCloseChildren();
    // IDOK and IDCANCEL clicked (code BN_CLICKED) end the page with that result.
    virtual void OnCommand(int id, int code);
    virtual void OnTimer(int id);

    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);

    // Set-up helpers for OnInitDialog.
    void SetBackground(const char* name); // a page that picks its picture by layout
    void PlaceWindow();                   // centred on the screen, above normal windows
    void SetTitle(const wchar_t* title);
    void SetChildTitles(std::initializer_list<const wchar_t*> titles);
    void SetFillWhite(bool fill) { m_fillWhite = fill; }
    static QFont MakeFont(int height, int weight);

    CMyBitmapButton* AddButton(int id, int x, int y, const char* normal, const char* selected = nullptr);
    template <class Handler>
    CMyBitmapButton* AddButton(int id, int x, int y, const char* normal, const char* selected, Handler onClick)
    {
        CMyBitmapButton* button = AddButton(id, x, y, normal, selected);
        connectClicked(button, onClick);
        return button;
    }
    // The Home button: its picture in both states; a click traces "<Class>:<handler>" with the
    // given trace operation and ends the page with the result.
    using TraceFunction = void (*)(const wchar_t*, ...);
    CMyBitmapButton* AddHomeButton(int id, int x, int y, const char* picture, const wchar_t* handler, int result,
                                   TraceFunction trace = nullptr);
    // Static texts drawn in a colour on a transparent background over the page picture.
    QLabel* AddStaticText(const StaticTextDef& text, const QFont& font, const QColor& colour = Qt::white);
    void AddStaticTexts(std::initializer_list<StaticTextDef> texts, const QFont& font,
                        const QColor& colour = Qt::white);
    // A skinned combo box: default skin when leftCap is 0.
    CBitComboBox* AddCombo(int id, int x, int y, int width, int dropRoom, int leftCap = 0, int middle = 0,
                           int rightCap = 0);
    // Any other control: registered under its id.
    void RegisterItem(int id, QWidget* widget);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void connectClicked(CMyBitmapButton* button, std::function<void()> onClick);

    std::wstring m_className;
    QString m_backgroundName;
    QPixmap m_background;
    bool m_bPortrait = false;
    bool m_initialised = false;
    bool m_runningModal = false;
    bool m_fillWhite = true;
    QRect m_placement;
    QHash<int, QWidget*> m_items;
    QHash<int, int> m_timers; // numbered timer -> Qt timer id
    std::vector<std::wstring> m_childTitles;
};

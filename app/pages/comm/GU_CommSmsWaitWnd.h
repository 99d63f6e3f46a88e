#pragma once

#include <QString>
#include <QWidget>

// The small window that says the SMS code store is being initialised. The initialisation blocks
// the interface thread, so the window must be on the screen and drawn before it starts: ShowNow
// returns once it has been painted.
class GU_CommSmsWaitWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 110;

    explicit GU_CommSmsWaitWnd(const QString& text, QWidget* parent = nullptr);
    ~GU_CommSmsWaitWnd() override;

    // Shows the window in front of all others, where it was made (centred on the screen), and
    // paints it; waits at most kExposeWaitMs for the window system to show it.
    void ShowNow();
    QString text() const { return m_text; }
    int paintCount() const { return m_paints; }

    // The wait window that is open now, or null (tests look at it while the store initialises).
    static GU_CommSmsWaitWnd* Current();

signals:
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kExposeWaitMs = 500;

    QString m_text;
    int m_paints = 0;
};

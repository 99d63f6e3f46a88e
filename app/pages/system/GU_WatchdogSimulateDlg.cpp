#include "GU_WatchdogSimulateDlg.h"

#include <QKeyEvent>

GU_WatchdogSimulateDlg::GU_WatchdogSimulateDlg(QWidget* parent)
    : CPageDlg(L"GU_WatchdogSimulateDlg", "IDB_SYSWATCHDOG_SIMULATE_ALERT_L", parent)
{
}

bool GU_WatchdogSimulateDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    SetTitle(L"Watchdog Simulate");
    return true;
}

bool GU_WatchdogSimulateDlg::event(QEvent* event)
{
    // Enter and Escape would end a dialog; the machine is about to restart, so the notice stays.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return CPageDlg::event(event);
}

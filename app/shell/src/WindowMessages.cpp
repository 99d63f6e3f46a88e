#include "WindowMessages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kHiddenWindowProperty = "tarvikHiddenWindow";

bool onThreadOf(const QObject* object) { return object->thread() == QThread::currentThread(); }

} // namespace

CWndMessageEvent* AsWndMessage(QEvent* event)
{
    if (!event || event->type() < QEvent::User || event->type() > QEvent::MaxUser)
        return nullptr;
    return dynamic_cast<CWndMessageEvent*>(event);
}

LRESULT SendMessage(QWidget* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return 0;
    QPointer<QWidget> target(window);
    LRESULT result = 0;
    auto deliver = [&] {
        if (!target)
            return;
        CWndMessageEvent event(message, wParam, lParam);
        QCoreApplication::sendEvent(target, &event);
        result = event.result;
    };
    if (onThreadOf(window))
        deliver();
    else
        QMetaObject::invokeMethod(window, deliver, Qt::BlockingQueuedConnection);
    return result;
}

bool PostMessage(QWidget* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window)
        return false;
    QCoreApplication::postEvent(window, new CWndMessageEvent(message, wParam, lParam));
    return true;
}

LRESULT SendCommand(QWidget* window, int id, int code)
{
    return SendMessage(window, WM_COMMAND_MSG, MakeCommandWParam(id, code), 0);
}

QWidget* FindWindowByTitle(const QString& title)
{
    if (!qApp)
        return nullptr;
    if (!onThreadOf(qApp)) {
        QWidget* found = nullptr;
        QMetaObject::invokeMethod(qApp, [&] { found = FindWindowByTitle(title); }, Qt::BlockingQueuedConnection);
        return found;
    }
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->windowTitle() != title)
            continue;
        if (w->isVisible() || w->property(kHiddenWindowProperty).toBool())
            return w;
    }
    return nullptr;
}

void MarkHiddenWindow(QWidget* window)
{
    if (window)
        window->setProperty(kHiddenWindowProperty, true);
}

void CloseWindowsByTitle(std::initializer_list<const wchar_t*> titles)
{
    for (const wchar_t* title : titles) {
        QWidget* window = FindWindowByTitle(QString::fromWCharArray(title));
        if (!window)
            continue;
        QPointer<QWidget> guard(window);
        SendMessage(window, WM_CLOSE_CHILDREN, 0, 0);
        if (guard)
            SendCommand(window, IDCANCEL);
    }
}

#include "WindowStacking.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace tarvik::stacking {

namespace {

struct Entry {
    QPointer<QWidget> window;
    QPointer<QWidget> owner; // for a window without a parent: the frontmost window when it appeared
};

// The program's visible windows, bottom to top, as the program last stacked them. A window that
// appears is mapped on top of its siblings, so showing one puts it last.
std::vector<Entry> g_stack;

void prune()
{
    g_stack.erase(std::remove_if(g_stack.begin(), g_stack.end(),
                                 [](const Entry& e) { return !e.window || !e.window->isVisible(); }),
                  g_stack.end());
}

std::vector<Entry>::iterator find(const QWidget* window)
{
    return std::find_if(g_stack.begin(), g_stack.end(), [window](const Entry& e) { return e.window == window; });
}

void moveToTop(QWidget* window)
{
    auto it = find(window);
    Entry entry = it != g_stack.end() ? *it : Entry{window, nullptr};
    if (it != g_stack.end())
        g_stack.erase(it);
    g_stack.push_back(entry);
}

void shown(QWidget* window, bool spontaneous)
{
    prune();
    const auto it = find(window);
    if (it != g_stack.end() && spontaneous)
        return; // mapped again by the system (restored): where it was
    QWidget* owner = nullptr;
    if (!window->parentWidget()) {
        for (auto e = g_stack.rbegin(); e != g_stack.rend() && !owner; ++e)
            if (e->window != window)
                owner = e->window;
    }
    if (it != g_stack.end())
        g_stack.erase(it);
    g_stack.push_back(Entry{window, owner});
    // A window manager keeps a transient window above its owner; tell it which that is.
    if (!window->parentWidget() && window->windowHandle())
        window->windowHandle()->setTransientParent(owner && owner->windowHandle() ? owner->windowHandle() : nullptr);
}

class Follower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && object->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(object);
            if (widget->isWindow()) {
                if (type == QEvent::Show)
                    shown(widget, event->spontaneous());
                else if (!event->spontaneous())
                    prune();
            }
        }
        return false;
    }
};

bool ownedByAny(const QWidget* window, const QList<QWidget*>& owners)
{
    // Ownership cannot loop, but a bound costs nothing.
    const QWidget* owner = Owner(window);
    for (int depth = 0; owner && depth < 64; ++depth, owner = Owner(owner))
        if (owners.contains(owner))
            return true;
    return false;
}

// Appends, bottom to top, every window owned (directly or further down) by one already in `order`.
void addOwned(QList<QWidget*>& order)
{
    for (bool added = true; added;) {
        added = false;
        for (const Entry& e : g_stack) {
            if (!order.contains(e.window.data()) && ownedByAny(e.window, order)) {
                order.append(e.window);
                added = true;
            }
        }
    }
}

} // namespace

void Track()
{
    static Follower* follower = nullptr;
    if (follower || !qApp)
        return;
    follower = new Follower(qApp);
    qApp->installEventFilter(follower);
}

QWidget* Owner(const QWidget* window)
{
    if (!window)
        return nullptr;
    if (QWidget* parent = window->parentWidget())
        return parent->window();
    const auto it = find(window);
    return it != g_stack.end() ? it->owner.data() : nullptr;
}

QList<QWidget*> Order()
{
    prune();
    QList<QWidget*> order;
    for (const Entry& e : g_stack)
        order.append(e.window);
    return order;
}

void BringForward(QWidget* window, bool activate)
{
    if (!window)
        return;
    window = window->window();
    if (!window->isVisible())
        return;
    Track();
    prune();
    if (find(window) == g_stack.end())
        g_stack.push_back(Entry{window, nullptr}); // shown before the program followed its windows

    // The window, what it owns, then the open modal windows with theirs; the innermost modal last.
    QList<QWidget*> order{window};
    addOwned(order);
    for (const Entry& e : std::vector<Entry>(g_stack)) {
        if (e.window->isModal() && !order.contains(e.window.data())) {
            order.append(e.window);
            addOwned(order);
        }
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && order.contains(modal)) {
        QList<QWidget*> innermost{modal};
        addOwned(innermost);
        QList<QWidget*> rest;
        for (QWidget* w : order)
            if (!innermost.contains(w))
                rest.append(w);
        order = rest + innermost;
    }
    QWidget* focus = modal && order.contains(modal) ? modal : window;

    bool inPlace = g_stack.size() >= static_cast<std::size_t>(order.size());
    for (qsizetype i = 0; inPlace && i < order.size(); ++i)
        inPlace = g_stack[g_stack.size() - order.size() + i].window == order[i];
    if (inPlace && (!activate || QApplication::activeWindow() == focus))
        return;
    for (QWidget* w : order) {
        w->raise();
        moveToTop(w);
    }
    if (activate)
        focus->activateWindow();
}

} // namespace tarvik::stacking

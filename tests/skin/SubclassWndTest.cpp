#include "skin/SubclassWnd.h"
#include "skin/SubclassWndMap.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

const QEvent::Type kPing = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type kNested = static_cast<QEvent::Type>(QEvent::User + 2);

// A widget that logs the custom events it gets.
class Target : public QWidget
{
public:
    explicit Target(std::string* log) : m_log(log) {}

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == kPing || e->type() == kNested) {
            *m_log += e->type() == kPing ? "W" : "w";
            return true;
        }
        return QWidget::event(e);
    }

private:
    std::string* m_log;
};

// A hook that logs its name for the custom events and can consume them or do
// work around Default.
class Hook : public CSubclassWnd
{
public:
    Hook(std::string name, std::string* log) : m_name(std::move(name)), m_log(log) {}

    bool consume = false;
    std::function<bool(Hook&, QEvent*)> handler;

    bool WindowProc(QEvent* e) override
    {
        if (e->type() != kPing && e->type() != kNested)
            return CSubclassWnd::WindowProc(e);
        *m_log += m_name;
        if (handler)
            return handler(*this, e);
        return consume || CSubclassWnd::WindowProc(e);
    }

private:
    std::string m_name;
    std::string* m_log;
};

void Ping(QWidget* w, QEvent::Type type = kPing)
{
    QEvent e(type);
    QCoreApplication::sendEvent(w, &e);
}

TEST(SubclassWndTest, TheHookAddedLastSeesEventsFirst)
{
    std::string log;
    Target widget(&log);
    auto* a = new Hook("a", &log);
    auto* b = new Hook("b", &log);
    a->HookWindow(&widget);
    b->HookWindow(&widget);
    EXPECT_EQ(CSubclassWndMap::Lookup(&widget), b);
    Ping(&widget);
    EXPECT_EQ(log, "baW");

    log.clear();
    b->consume = true;
    Ping(&widget);
    EXPECT_EQ(log, "b");
}

TEST(SubclassWndTest, RemovingHooksRelinksTheChain)
{
    std::string log;
    Target widget(&log);
    std::unique_ptr<Hook> hooks[3] = {std::make_unique<Hook>("a", &log),
                                      std::make_unique<Hook>("b", &log),
                                      std::make_unique<Hook>("c", &log)};
    for (auto& hook : hooks)
        hook->HookWindow(&widget);

    hooks[1]->HookWindow(nullptr); // the middle
    EXPECT_FALSE(hooks[1]->IsHooked());
    EXPECT_EQ(hooks[1]->parent(), nullptr); // back with its creator
    Ping(&widget);
    EXPECT_EQ(log, "caW");

    log.clear();
    hooks[2]->HookWindow(nullptr); // the head
    EXPECT_EQ(CSubclassWndMap::Lookup(&widget), hooks[0].get());
    Ping(&widget);
    EXPECT_EQ(log, "aW");

    log.clear();
    hooks[0].reset(); // the last one, by deleting it
    EXPECT_EQ(CSubclassWndMap::Lookup(&widget), nullptr);
    Ping(&widget);
    EXPECT_EQ(log, "W");

    // Hooked again, a hook goes back in front.
    log.clear();
    hooks[1]->HookWindow(&widget);
    hooks[2]->HookWindow(&widget);
    hooks[1]->HookWindow(&widget);
    Ping(&widget);
    EXPECT_EQ(log, "bcW");
}

TEST(SubclassWndTest, HooksDieWithTheirWidget)
{
    std::string log;
    auto* widget = new Target(&log);
    QPointer<Hook> a = new Hook("a", &log);
    QPointer<Hook> b = new Hook("b", &log);
    a->HookWindow(widget);
    b->HookWindow(widget);
    delete widget;
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());

    std::string other;
    Target second(&other);
    Hook* c = new Hook("c", &other);
    c->HookWindow(&second);
    CSubclassWndMap::RemoveAll(&second);
    EXPECT_EQ(CSubclassWndMap::Lookup(&second), nullptr);
    Ping(&second);
    EXPECT_EQ(other, "W");
}

TEST(SubclassWndTest, DefaultPassesTheCurrentEventOnOnce)
{
    std::string log;
    Target widget(&log);
    auto* inner = new Hook("i", &log);
    auto* outer = new Hook("o", &log);
    inner->HookWindow(&widget);
    outer->HookWindow(&widget);
    // The outer hook lets the rest run first, handles a nested event in between,
    // then passes the original on again: it reaches the widget once, as itself.
    outer->handler = [&](Hook& self, QEvent* e) {
        if (e->type() == kNested)
            return self.CSubclassWnd::WindowProc(e);
        Ping(&widget, kNested);
        log += "|";
        const bool handled = self.Default();
        log += "+";
        self.Default();
        return handled && false;
    };
    Ping(&widget);
    EXPECT_EQ(log, "ooiw|iW+");

    // A hook that consumes the event stops it from reaching the widget, also
    // when reached through Default.
    log.clear();
    inner->consume = true;
    outer->handler = [](Hook& self, QEvent*) { return self.Default(); };
    Ping(&widget);
    EXPECT_EQ(log, "oi");

    // Outside a dispatch there is nothing to pass on.
    EXPECT_FALSE(outer->Default());
}

TEST(SubclassWndTest, AHookLeavingDuringAnEventStillPassesItOn)
{
    std::string log;
    Target widget(&log);
    auto* hook = new Hook("a", &log);
    hook->HookWindow(&widget);
    hook->handler = [](Hook& self, QEvent*) {
        self.HookWindow(nullptr); // the chain goes with its last hook
        self.deleteLater();
        return false;
    };
    Ping(&widget);
    EXPECT_EQ(log, "aW");
    EXPECT_EQ(CSubclassWndMap::Lookup(&widget), nullptr);
}

} // namespace

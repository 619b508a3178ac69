// Acting on a modal dialog from a test: the dialog runs its own event loop,
// so the action is queued on a timer that waits for it to show.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>
#include <memory>

namespace modal_test {

enum class Wait {
    Shown,   // act as soon as the dialog is the active modal widget
    Active,  // act once it also holds the keyboard, so that focus moves count
};

// Acts on the next modal widget of type T. Closes a stray modal widget after
// about ten seconds instead of hanging; with closeIfLeftOpen also a dialog
// that the action leaves open.
template <typename T>
void whenModal(std::function<void(T*)> act, Wait wait = Wait::Shown, bool closeIfLeftOpen = false) {
    auto* timer = new QTimer;
    auto* ticks = new int(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks, wait, closeIfLeftOpen] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* w = qobject_cast<T*>(modal);
        if (w && (wait == Wait::Shown || QApplication::activeWindow() == modal)) {
            timer->stop();
            timer->deleteLater();
            delete ticks;
            act(w);
            if (closeIfLeftOpen && w->isVisible()) {
                qWarning("a dialog was left open");
                w->close();
            }
        } else if (++*ticks > 2000) {
            timer->stop();
            timer->deleteLater();
            delete ticks;
            if (modal) modal->close();
            qWarning("expected modal widget did not appear");
        }
    });
    timer->start();
}

// Runs the modal widget of type T that `trigger` opens, handing it to `act`
// as whenModal does. True when it opened and no check failed, also none in
// `act` (whose QVERIFY returns from `act` only), for QVERIFY at the caller.
template <typename T>
[[nodiscard]] bool runModal(const std::function<void()>& trigger, std::function<void(T*)> act, Wait wait = Wait::Shown,
                            bool closeIfLeftOpen = false) {
    auto seen = std::make_shared<bool>(false);
    whenModal<T>(
        [seen, act = std::move(act)](T* w) {
            *seen = true;
            act(w);
        },
        wait, closeIfLeftOpen);
    trigger();
    if (!*seen) qWarning("the dialog did not open");
    return *seen && !QTest::currentTestFailed();
}

// Answers the next message box; returns its text and caption.
inline void answerBox(QMessageBox::StandardButton button, QString* text = nullptr, QString* title = nullptr) {
    whenModal<QMessageBox>([=](QMessageBox* box) {
        if (text) *text = box->text();
        if (title) *title = box->windowTitle();
        if (QAbstractButton* b = box->button(button)) b->click();
        else qWarning("the message box lacks the button");
    });
}

}  // namespace modal_test

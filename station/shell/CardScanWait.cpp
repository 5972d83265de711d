#include "shell/CardScanWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

// Swallows the operator's input to one window and its controls.
class RefuseOperatorInput : public QObject {
  public:
    explicit RefuseOperatorInput(QWidget& window) : window_(window) {}

    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!IsOperatorInput(event->type())) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(receiver);
        // isAncestorOf stops at window boundaries: message boxes over the window stay usable.
        if (widget == nullptr || (widget != &window_ && !window_.isAncestorOf(widget))) {
            return false;
        }
        // A close request that is not refused would hide the window without its unload step.
        event->ignore();
        return true;
    }

  private:
    static bool IsOperatorInput(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }

    QWidget& window_;
};

}  // namespace

void WaitForCardPage(QWidget& window, const bool& pageDone) {
    RefuseOperatorInput refuse(window);
    QCoreApplication::instance()->installEventFilter(&refuse);
    while (!pageDone) {
        // The scanner's events arrive through the event loop; sleep until the next one.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::instance()->removeEventFilter(&refuse);
}

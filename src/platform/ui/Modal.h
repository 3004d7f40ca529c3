#pragma once
// The one road every modal box, input box, file dialog and modal form takes.
// In the running program the real Qt dialogs answer; a test installs a
// ScriptedModals that answers from a queue and keeps what was shown.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include <QWidget>

namespace platform::ui {

enum class ModalKind { MessageBox, InputBox, OpenFile, SaveFile, Form };

struct ModalRequest {
    ModalKind kind = ModalKind::MessageBox;
    QString text;         // message or input prompt
    QString caption;      // caption or dialog title
    int style = 0;        // message box buttons and icon
    QString defaultText;  // input box default, initial file name
    QString filter;       // file dialogs: filter in Qt form ("A (*.a);;B (*.b)")
    QString initialDir;
    QString defaultExt;
    bool multiSelect = false;
    // The form shown modally, or the owner; empty once that window is gone,
    // so a test reading what was shown after the form closed finds no window
    // rather than a dangling one.
    QPointer<QWidget> widget;
};

struct ModalAnswer {
    int button = 0;                      // message box: the button code
    QString text;                        // input box text, chosen file ("" = cancel)
    std::function<void(QWidget &)> act;  // modal form: what the user does in it

    static ModalAnswer Button(int code) { ModalAnswer a; a.button = code; return a; }
    static ModalAnswer Text(const QString &t) { ModalAnswer a; a.text = t; a.button = 1; return a; }
    static ModalAnswer Act(std::function<void(QWidget &)> f) { ModalAnswer a; a.act = std::move(f); return a; }
};

class ModalDriver {
public:
    virtual ~ModalDriver() = default;
    virtual ModalAnswer answer(const ModalRequest &request) = 0;
};

// The seam. With no driver installed the real dialogs run, except on a
// headless platform ("offscreen", "minimal"), where nobody could answer:
// there a modal request without a script stops the process with a message.
ModalAnswer RunModal(const ModalRequest &request);

// Installs a driver (nullptr: the real dialogs); returns the previous one.
ModalDriver *SetModalDriver(ModalDriver *driver);

// Answers from a queue, in order, and keeps every request it saw. Installs
// itself for its lifetime. A request with no answer queued calls
// onUnscripted (default: stop the process with the request's text), then
// answers Cancel / "" / no action.
class ScriptedModals : public ModalDriver {
public:
    ScriptedModals();
    ~ScriptedModals() override;
    ScriptedModals(const ScriptedModals &) = delete;
    ScriptedModals &operator=(const ScriptedModals &) = delete;

    ScriptedModals &push(ModalAnswer a);
    ScriptedModals &ok() { return push(ModalAnswer::Button(1)); }
    ScriptedModals &cancel() { return push(ModalAnswer::Button(2)); }
    ScriptedModals &yes() { return push(ModalAnswer::Button(6)); }
    ScriptedModals &no() { return push(ModalAnswer::Button(7)); }
    ScriptedModals &text(const QString &t) { return push(ModalAnswer::Text(t)); }
    ScriptedModals &file(const QString &path) { return push(ModalAnswer::Text(path)); }
    ScriptedModals &act(std::function<void(QWidget &)> f) { return push(ModalAnswer::Act(std::move(f))); }

    const std::vector<ModalRequest> &shown() const { return shown_; }
    QStringList shownTexts() const;
    std::size_t pending() const { return queue_.size(); }
    void clear() { shown_.clear(); queue_.clear(); }

    std::function<void(const QString &why)> onUnscripted;

    // A real message box runs its own event loop while it waits for the user:
    // what was posted before it (a window's close) is delivered then, and the
    // windows closed are deleted before the box returns. On, each scripted
    // message box does the same before it answers.
    ScriptedModals &eventsWhileShown(bool on = true) {
        eventsWhileShown_ = on;
        return *this;
    }

    ModalAnswer answer(const ModalRequest &request) override;

private:
    std::deque<ModalAnswer> queue_;
    std::vector<ModalRequest> shown_;
    ModalDriver *previous_ = nullptr;
    bool eventsWhileShown_ = false;
};

QString DescribeRequest(const ModalRequest &r);

// A script did not match what the program did: goes to the installed
// ScriptedModals' onUnscripted, or stops the process.
void ReportScriptFault(const QString &why);

} // namespace platform::ui

#include "platform/ui/Modal.h"

#include "platform/app/Application.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <cstdio>

namespace platform::ui {
namespace {

ModalDriver *gDriver = nullptr;

bool headless() {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return true;
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

ModalAnswer runReal(const ModalRequest &r) {
    ModalAnswer a;
    switch (r.kind) {
    case ModalKind::MessageBox: {
        VbMessageBox box(r.text, r.style, r.caption, r.widget);
        box.exec();
        a.button = box.answer();
        break;
    }
    case ModalKind::InputBox: {
        QInputDialog dlg(r.widget);
        dlg.setWindowTitle(r.caption);
        dlg.setLabelText(r.text);
        dlg.setTextValue(r.defaultText);
        dlg.setOkButtonText(QStringLiteral("OK"));
        dlg.setCancelButtonText(QStringLiteral("Cancelar"));
        dlg.adjustSize();
        CenterOnMainWindow(&dlg);
        if (dlg.exec() == QDialog::Accepted) {
            a.button = vbOK;
            a.text = dlg.textValue();
        } else {
            a.button = vbCancel;
        }
        break;
    }
    case ModalKind::OpenFile:
    case ModalKind::SaveFile: {
        QFileDialog dlg(r.widget, r.caption, r.initialDir, r.filter);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        if (r.kind == ModalKind::OpenFile) {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
        }
        // The dialog speaks Portuguese like the rest of the program.
        dlg.setLabelText(QFileDialog::LookIn, QStringLiteral("Examinar:"));
        dlg.setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
        dlg.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
        dlg.setLabelText(QFileDialog::Accept, r.kind == ModalKind::OpenFile ? QStringLiteral("&Abrir") : QStringLiteral("&Salvar"));
        dlg.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
        if (!r.defaultExt.isEmpty())
            dlg.setDefaultSuffix(r.defaultExt);
        if (!r.defaultText.isEmpty())
            dlg.selectFile(r.defaultText);
        dlg.adjustSize();
        CenterOnScreen(&dlg);
        if (dlg.exec() == QDialog::Accepted) {
            const QStringList files = dlg.selectedFiles();
            a.button = vbOK;
            a.text = files.isEmpty() ? QString() : files.join(QChar(u'\0'));
        } else {
            a.button = vbCancel;
        }
        break;
    }
    case ModalKind::Form:
        if (auto *f = dynamic_cast<Form *>(r.widget.data()))
            f->execModalLoop();
        break;
    }
    return a;
}

// The real box's wait, as far as the program can tell: a nested event loop
// delivers what was posted, and the deletions that follow are done in it.
void entregarComoACaixa() {
    QEventLoop loop;
    QMetaObject::invokeMethod(
        &loop,
        [&loop] {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            loop.quit();
        },
        Qt::QueuedConnection);
    loop.exec();
}

} // namespace

QString DescribeRequest(const ModalRequest &r) {
    static const char *kinds[] = {"message box", "input box", "open dialog", "save dialog", "modal form"};
    QString what = QString::fromLatin1(kinds[static_cast<int>(r.kind)]);
    QString s = QStringLiteral("%1 [%2] \"%3\"").arg(what, r.caption, r.text);
    if (r.kind == ModalKind::MessageBox)
        s += QStringLiteral(" style %1").arg(r.style);
    if (r.kind == ModalKind::Form && r.widget)
        s += QStringLiteral(" ") + r.widget->objectName();
    return s;
}

ModalAnswer RunModal(const ModalRequest &request) {
    if (gDriver)
        return gDriver->answer(request);
    if (headless()) {
        const QByteArray why = ("no scripted answer for a " + DescribeRequest(request)).toUtf8();
        std::fprintf(stderr, "%s\n", why.constData());
        qFatal("%s", why.constData());
    }
    return runReal(request);
}

void ReportScriptFault(const QString &why) {
    if (auto *s = dynamic_cast<ScriptedModals *>(gDriver); s && s->onUnscripted) {
        s->onUnscripted(why);
        return;
    }
    const QByteArray w = why.toUtf8();
    std::fprintf(stderr, "%s\n", w.constData());
    qFatal("%s", w.constData());
}

ModalDriver *SetModalDriver(ModalDriver *driver) {
    ModalDriver *old = gDriver;
    gDriver = driver;
    return old;
}

ScriptedModals::ScriptedModals() : previous_(SetModalDriver(this)) {}

ScriptedModals::~ScriptedModals() { SetModalDriver(previous_); }

ScriptedModals &ScriptedModals::push(ModalAnswer a) {
    queue_.push_back(std::move(a));
    return *this;
}

QStringList ScriptedModals::shownTexts() const {
    QStringList out;
    for (const auto &r : shown_)
        out << r.text;
    return out;
}

ModalAnswer ScriptedModals::answer(const ModalRequest &request) {
    shown_.push_back(request);
    if (eventsWhileShown_ && request.kind == ModalKind::MessageBox)
        entregarComoACaixa();
    if (queue_.empty()) {
        ReportScriptFault(QStringLiteral("no scripted answer for a ") + DescribeRequest(request));
        return ModalAnswer::Button(vbCancel);
    }
    ModalAnswer a = std::move(queue_.front());
    queue_.pop_front();
    return a;
}

} // namespace platform::ui

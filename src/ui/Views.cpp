#include "ui/Views.h"

#include "ui/Errors.h"
#include "platform/ui/Form.h"

#include <QPointer>

namespace ui {

void UpdateAllViews(long &hint, const QObject *sender) {
    try {
        QList<QPointer<platform::ui::Form>> forms;
        for (platform::ui::Form *f : platform::ui::Forms::Loaded())
            forms << f;
        for (const QPointer<platform::ui::Form> &f : forms) {
            if (!f || !f->IsLoaded() || f.data() == sender)
                continue;
            try {
                if (auto *r = dynamic_cast<IUpdateView *>(f.data()))
                    r->UpdateView(hint);
            } catch (...) {
                // A receiver's failure stays with the receiver.
            }
        }
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "UpdateAllViews");
    }
}

} // namespace ui

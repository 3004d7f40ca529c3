#pragma once
// The view broadcast: after a change of data the changing window tells every
// other loaded window, which refreshes itself according to the hint.
class QObject;

namespace ui {

// View-refresh hints.
constexpr long kHintContas = 1;
constexpr long kHintLancamentos = 2;
constexpr long kHintRecDesp = 3;
constexpr long kHintUsuarios = 4;

// Implemented by the windows that react to the broadcast.
class IUpdateView {
public:
    virtual ~IUpdateView() = default;
    virtual void UpdateView(long &msg) = 0;
};

// Calls UpdateView(hint) on every loaded window except the sender, in load
// order, synchronously. A window without UpdateView is skipped, and an error
// inside a receiver is ignored: neither stops the broadcast.
void UpdateAllViews(long &hint, const QObject *sender);

} // namespace ui

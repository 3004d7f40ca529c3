#pragma once
// The Modes of the report windows, one number per report: the shell opens a
// report by its Mode, the selection dialogs, the search results window and
// the balance window lay themselves out by it.
namespace core::consultas {

constexpr long kExtratoDeContas = 1;      // account statement (search results window)
constexpr long kExtratoDeTipos = 2;       // income/expense type statement (search results window)
constexpr long kBalancoDeContas = 3;      // account balances over a period (balance window)
constexpr long kBalancoDeTipos = 4;       // type balances over a period (balance window)
constexpr long kPesquisaPorDocumento = 5; // the search by document (search results window)
constexpr long kSaldosDeContas = 6;       // account balances at a date (balance window)
constexpr long kSaldosDeTipos = 7;        // type balances at a date (balance window)

constexpr bool EExtrato(long mode) { return mode == kExtratoDeContas || mode == kExtratoDeTipos; }
constexpr bool EBalanco(long mode) {
    return mode == kBalancoDeContas || mode == kBalancoDeTipos || mode == kSaldosDeContas || mode == kSaldosDeTipos;
}

} // namespace core::consultas

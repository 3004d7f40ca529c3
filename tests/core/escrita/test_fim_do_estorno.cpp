// How the three windows that reverse a transfer end a reversal that was not
// written: the message, its icon, and whether the window closes. The pending
// list differs from the posting window and the search results only on the
// file found busy before the second leg.
#include "core/escrita/Operacoes.h"

#include <gtest/gtest.h>

using core::escrita::Desfecho;

namespace {

struct Caso {
    Desfecho desfecho;
    int perna;
    bool fechaNasOutras;   // the posting window, the search results
    bool fechaNaPendencia; // the pending list
    bool informacao;
};

TEST(FimDeEstornoDeTransferencia, TellsAndClosesAsEachWindowAsks) {
    const Caso casos[] = {
        {Desfecho::Incompleta, 0, true, true, true},
        {Desfecho::Invalido, 1, false, false, true},
        {Desfecho::JaEstornado, 1, true, true, false},
        {Desfecho::JaEstornado, 2, false, false, false},
        {Desfecho::Bloqueio, 0, false, true, false},
        {Desfecho::Bloqueio, 1, false, true, false},
        {Desfecho::Bloqueio, 2, false, false, false},
        {Desfecho::Recusado, 1, false, false, false},
        {Desfecho::Recusado, 2, false, false, false},
        {Desfecho::HistoricoLongo, 0, false, false, false},
    };
    core::escrita::EstornoDeTransferenciaFeito feito;
    feito.recusa = QStringLiteral("O saldo passaria do limite.");
    for (const Caso &c : casos) {
        SCOPED_TRACE(int(c.desfecho) * 10 + c.perna);
        const auto outras = core::escrita::FimDeEstornoDeTransferencia(c.desfecho, c.perna, QStringLiteral("CAIXA"), feito);
        const auto pendencia =
            core::escrita::FimDeEstornoDeTransferencia(c.desfecho, c.perna, QStringLiteral("CAIXA"), feito, true);
        EXPECT_EQ(outras.fechaJanela, c.fechaNasOutras);
        EXPECT_EQ(pendencia.fechaJanela, c.fechaNaPendencia);
        EXPECT_EQ(outras.informacao, c.informacao);
        EXPECT_EQ(outras.mensagem, pendencia.mensagem);
        const QString esperada = c.desfecho == Desfecho::Incompleta ? core::escrita::kMsgFaltaPerna
                                 : c.desfecho == Desfecho::Invalido
                                     ? feito.recusa
                                     : core::escrita::MensagemDeEstornoRecusado(c.desfecho, QStringLiteral("CAIXA"));
        EXPECT_EQ(outras.mensagem, esperada);
    }
    EXPECT_TRUE(core::escrita::MensagemDeEstornoRecusado(Desfecho::Recusado, QStringLiteral("CAIXA"))
                         .contains(QStringLiteral("a conta 'CAIXA' foi desativada")));
}

} // namespace

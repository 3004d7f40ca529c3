#include "core/escrita/Operacoes.h"

#include "core/arvores/Arvores.h"
#include "db/Planos.h"
#include "ui/ErrorTrap.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/err/AppError.h"
#include "core/escrita/Escrita.h"
#include "core/escrita/HistoricoDeEstorno.h"
#include "core/escrita/Permissoes.h"
#include "db/SqlTexto.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace core::escrita {

using value::Currency;

namespace {

bool bloqueio(const err::AppError &e) { return e.number() == err::db::kLocked; }

std::optional<QString> documentoDe(const value::Value &v) {
    if (v.isNull()) return std::nullopt;
    return v.toString();
}

// The statements below take the posting's number as a parameter: one text
// for every posting, translated and prepared before the write lock is taken
// (see PrepararGravacao) instead of a new text to prepare under it each time.
std::unique_ptr<dao::QueryDef> consulta(dao::Database &db, const QString &sql) { return db.CreateQueryDef(QString(), sql); }

// The guarded mark of a posting being reversed: only while it is neither
// reversed nor a reversal nor settled as not realised, as stored now.
const QString kMarcarEstornado =
    QStringLiteral("PARAMETERS [pId] Long;UPDATE LANCAMENTOS SET ESTORNADO = TRUE, REALIZADO='E' WHERE Id = [pId]"
                   " AND REALIZADO <> 'N' AND ESTORNADO = FALSE AND ESTORNO = FALSE");

bool marcarEstornado(dao::Database &db, long id) {
    auto q = consulta(db, kMarcarEstornado);
    q->SetParameter(0, value::Value(qlonglong(id)));
    q->Execute(dao::dbFailOnError);
    return q->RecordsAffected() >= 1;
}

// The posting a reversal reverses, as stored now.
std::unique_ptr<dao::Recordset> lerEstornado(dao::Database &db, long serial) {
    auto q = consulta(db, QStringLiteral("PARAMETERS [pId] Long;SELECT CodConta, CodRecDesp, Valor, Data, Documento "
                                         "FROM Lancamentos WHERE Id = [pId]"));
    q->SetParameter(0, value::Value(qlonglong(serial)));
    return q->OpenRecordset(dao::dbOpenSnapshot);
}

// The reversal of a posting as the write needs it, from the posting as read.
Lancamento estornoDe(const dao::Recordset &rs, long idUsuario) {
    Lancamento l;
    l.codConta = rs.Field(QStringLiteral("CodConta")).toString();
    l.codRecDesp = rs.Field(QStringLiteral("CodRecDesp")).toString();
    l.valor = -rs.Field(QStringLiteral("Valor")).toCurrency();
    l.data = rs.Field(QStringLiteral("Data")).toDate().date();
    l.documento = documentoDe(rs.Field(QStringLiteral("Documento")));
    l.estorno = true;
    l.realizado = QStringLiteral("E");
    l.idUsuario = idUsuario;
    return l;
}

// Before the transaction: the reversal's statements, chosen by the posting as
// it is now (its codes decide the texts of the balance move).
void prepararEstorno(dao::Database &db, long serial, long idUsuario) {
    std::unique_ptr<dao::Recordset> rs = lerEstornado(db, serial);
    if (!rs->Eof()) PrepararGravacao(db, estornoDe(*rs, idUsuario), true);
    db::FecharRecordset(rs);
    consulta(db, kMarcarEstornado)->Prepare();
}

// The reversal of a transfer's leg (0 the outgoing, 1 the incoming) as the
// write needs it.
Lancamento estornoDaPerna(int i, const QString &codConta, Currency valor, long idUsuario) {
    Lancamento l;
    l.codConta = codConta;
    l.codRecDesp = kTipoTransferencia;
    l.valor = valor;
    l.estorno = true;
    l.realizado = QStringLiteral("E");
    l.transferencia = i == 0 ? 1 : -1; // the second reversal names no Transferencia (0)
    l.guarda = Guarda::Conta;
    l.saldoTipo = SaldoTipo::Exato;
    l.idUsuario = idUsuario;
    return l;
}

// Before the transaction: the statements of both legs' reversals, chosen by
// the legs as they are now; the read of the legs is the one the reversal
// runs again under the lock, so it is prepared too.
void prepararEstornoDeTransferencia(dao::Database &db, long serial, long idUsuario) {
    std::unique_ptr<dao::Recordset> rs = db.OpenRecordset(SqlDasPernas(serial), dao::dbOpenSnapshot);
    for (int i = 0; i < 2 && !rs->Eof(); ++i, rs->MoveNext())
        PrepararGravacao(db, estornoDaPerna(i, rs->Field(QStringLiteral("CodConta")).toString(),
                                            -rs->Field(QStringLiteral("Valor")).toCurrency(), idUsuario),
                         true);
    db::FecharRecordset(rs);
    consulta(db, kMarcarEstornado)->Prepare();
}

const QString kLigarTransferencia = QStringLiteral(
    "PARAMETERS [pSai] Long, [pEntra] Long;INSERT INTO TRANSFERENCIAS (SerialSai,SerialEntra) VALUES([pSai],[pEntra])");

Desfecho desfechoDe(Resultado r) {
    switch (r) {
    case Resultado::Gravado: return Desfecho::Gravado;
    case Resultado::Bloqueio: return Desfecho::Bloqueio;
    case Resultado::Impedido: return Desfecho::JaEstornado;
    case Resultado::Invalido: return Desfecho::Invalido;
    case Resultado::Recusado: break;
    }
    return Desfecho::Recusado;
}

// A posting or a transfer the window chose by Id: a refusal because the item
// under its code is not that one any more is told apart from a deactivation.
Desfecho desfechoDaEscolha(Resultado r, Barrado barrado) {
    if (r == Resultado::Recusado && (barrado == Barrado::ContaMudada || barrado == Barrado::TipoMudado))
        return Desfecho::Mudado;
    return desfechoDe(r);
}

} // namespace

Desfecho Lancar(dao::Database &db, const Chamador &onde, const NovoLancamento &n, long idUsuario, Feito *feito) {
    try {
        if (Caracteres(n.historico) > kMaxHistorico) return Desfecho::HistoricoLongo;
        Lancamento l;
        l.codConta = n.codConta;
        l.codRecDesp = n.codRecDesp;
        l.valor = n.valor;
        l.data = n.data;
        if (!n.documento.isEmpty()) l.documento = n.documento;
        l.historico = n.historico;
        l.idUsuario = idUsuario;
        l.idConta = n.idConta;
        l.idRecDesp = n.idRecDesp;
        PrepararGravacao(db, l);
        db::CDaoTrans trans(db.workspace());
        trans.BegTrans();
        Gravado g;
        const Resultado r = GravarLancamento(db, l, &g);
        if (r != Resultado::Gravado) {
            if (feito) {
                feito->recusa = g.recusa;
                feito->barrado = g.barrado;
            }
            return desfechoDaEscolha(r, g.barrado);
        }
        trans.ComTrans();
        if (feito) *feito = {g.id, g.dataId, QString(), Barrado::Nada};
        return Desfecho::Gravado;
    } catch (const err::AppError &e) {
        if (bloqueio(e)) return Desfecho::Bloqueio;
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    } catch (...) {
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

long ContarDocumento(dao::Database &db, const Chamador &onde, const QString &documento) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        rs = db.OpenRecordset(QStringLiteral("Select count(*) as Contagem from lancamentos where documento = ") +
                                  db::SqlTexto(documento),
                              dao::dbOpenSnapshot);
        try {
            rs->MoveLast();
            rs->MoveFirst();
        } catch (...) {
        }
        const long n = long(rs->Field(QStringLiteral("Contagem")).toInt());
        db::FecharRecordset(rs);
        return n;
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

QString MensagemDeLancamentoRecusado(Barrado barrado, const QString &desConta, const QString &desTipo) {
    switch (barrado) {
    case Barrado::ContaMudada: return core::arvores::MensagemDeItemMudado(db::Plano::Contas, desConta);
    case Barrado::TipoMudado: return core::arvores::MensagemDeItemMudado(db::Plano::RecDesp, desTipo);
    case Barrado::TipoInativo: return kMsgLancamentoTipoDesativado;
    case Barrado::ContaInativa:
    case Barrado::Nada: break;
    }
    return kMsgLancamentoContaDesativada;
}

QString MensagemDeTransferenciaRecusada(Barrado barrado, int perna, const QString &desConta) {
    // The legs' type is the system's own and not guarded: only the account tells.
    if (barrado == Barrado::ContaMudada) return core::arvores::MensagemDeItemMudado(db::Plano::Contas, desConta);
    return perna == 2 ? QStringLiteral("Não foi possível fazer o lançamento de entrada. Transferência cancelada.\n"
                                       "Possível causa: a conta foi desativada.")
                      : QStringLiteral("Não foi possível fazer o lançamento de saída. Transferência cancelada.\n"
                                       "Possível causa: a conta foi desativada.");
}

QString MensagemDeEstornoRecusado(Desfecho desfecho, const QString &desConta, Barrado barrado) {
    switch (desfecho) {
    case Desfecho::Bloqueio:
        return kMsgBloqueio;
    case Desfecho::JaEstornado:
        return kMsgNaoEstornou;
    case Desfecho::HistoricoLongo:
        return kMsgHistoricoComMaisDe50;
    default:
        if (barrado == Barrado::TipoInativo)
            return QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: o tipo de receita/despesa foi "
                                  "desativado.");
        return desConta.isEmpty()
                   ? QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta foi desativada.")
                   : QStringLiteral("Não foi possível incluir o estorno.\nPossível causa: a conta '") + desConta +
                         QStringLiteral("' foi desativada.");
    }
}

FimDeEstornoRecusado FimDeEstornoDeTransferencia(Desfecho desfecho, int perna, const QString &desConta,
                                                 const EstornoDeTransferenciaFeito &feito,
                                                 bool bloqueioAntesDaSegundaFecha) {
    switch (desfecho) {
    case Desfecho::Incompleta: return {kMsgFaltaPerna, true, true};
    case Desfecho::Invalido: return {feito.recusa, true, false};
    default:
        return {MensagemDeEstornoRecusado(desfecho, desConta), false,
                (desfecho == Desfecho::JaEstornado && perna == 1) ||
                    (bloqueioAntesDaSegundaFecha && desfecho == Desfecho::Bloqueio && perna < 2)};
    }
}

Desfecho Estornar(dao::Database &db, const Chamador &onde, long serial, const QString &historico, long idUsuario,
                  Estorno *feito, DocumentoAusente semDocumento) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        if (Caracteres(historico) > kMaxHistorico) return Desfecho::HistoricoLongo;
        prepararEstorno(db, serial, idUsuario);
        db::CDaoTrans trans(db.workspace());
        trans.BegTrans();
        // The reversed posting as stored now, inside the transaction.
        rs = lerEstornado(db, serial);
        if (rs->Eof()) return Desfecho::JaEstornado;
        Lancamento l = estornoDe(*rs, idUsuario);
        if (!l.documento && semDocumento == DocumentoAusente::Vazio) l.documento = QString();
        db::FecharRecordset(rs);
        l.historico = historico;
        Gravado g;
        const Resultado r = GravarLancamento(db, l, &g, [&] { return marcarEstornado(db, serial); });
        if (r != Resultado::Gravado) {
            if (feito) {
                feito->recusa = g.recusa;
                feito->barrado = g.barrado;
            }
            return desfechoDe(r);
        }
        trans.ComTrans();
        if (feito) {
            feito->id = g.id;
            feito->dataId = g.dataId;
            feito->codConta = l.codConta;
            feito->codRecDesp = l.codRecDesp;
            feito->valor = l.valor;
            feito->data = l.data;
            feito->documento = l.documento;
            feito->idEstornado = serial;
        }
        return Desfecho::Gravado;
    } catch (const err::AppError &e) {
        db::FecharRecordset(rs);
        if (bloqueio(e)) return Desfecho::Bloqueio;
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

Desfecho Transferir(dao::Database &db, const Chamador &onde, const Transferencia &t, long idUsuario,
                    TransferenciaFeita *feita, int *perna) {
    try {
        if (Caracteres(t.historicoSaida) > kMaxHistorico || Caracteres(t.historicoEntrada) > kMaxHistorico)
            return Desfecho::HistoricoLongo;
        // The most negative amount has no opposite: both legs would go out.
        if (t.valor.units() == std::numeric_limits<std::int64_t>::min()) {
            if (feita) feita->recusa = kMsgForaDoLimite;
            return Desfecho::Invalido;
        }
        const Currency abs = t.valor < Currency() ? -t.valor : t.valor;
        auto leg = [&](int qual) {
            Lancamento l;
            l.codConta = qual == 1 ? t.codContaOrig : t.codContaDest;
            l.codRecDesp = kTipoTransferencia;
            l.valor = qual == 1 ? -abs : abs;
            l.data = t.data;
            const QString &doc = qual == 1 ? t.docSaida : t.docEntrada;
            if (!doc.isEmpty()) l.documento = doc;
            l.historico = qual == 1 ? t.historicoSaida : t.historicoEntrada;
            l.transferencia = qual;
            l.idConta = qual == 1 ? t.idContaOrig : t.idContaDest;
            l.guarda = Guarda::Conta;
            l.saldoTipo = SaldoTipo::Exato;
            l.idUsuario = idUsuario;
            return l;
        };
        PrepararGravacao(db, leg(1));
        PrepararGravacao(db, leg(2));
        consulta(db, kLigarTransferencia)->Prepare();
        db::CDaoTrans trans(db.workspace());
        trans.BegTrans();
        Gravado sai, entra;
        Resultado r = GravarLancamento(db, leg(1), &sai);
        if (r != Resultado::Gravado) {
            if (perna) *perna = 1;
            if (feita) {
                feita->recusa = sai.recusa;
                feita->barrado = sai.barrado;
            }
            return desfechoDaEscolha(r, sai.barrado);
        }
        r = GravarLancamento(db, leg(2), &entra);
        if (r != Resultado::Gravado) {
            if (perna) *perna = 2;
            if (feita) {
                feita->recusa = entra.recusa;
                feita->barrado = entra.barrado;
            }
            return desfechoDaEscolha(r, entra.barrado);
        }
        auto ligar = consulta(db, kLigarTransferencia);
        ligar->SetParameter(0, value::Value(qlonglong(sai.id)));
        ligar->SetParameter(1, value::Value(qlonglong(entra.id)));
        ligar->Execute(dao::dbFailOnError);
        trans.ComTrans();
        if (feita) *feita = {sai.id, entra.id, QString(), Barrado::Nada};
        return Desfecho::Gravado;
    } catch (const err::AppError &e) {
        if (bloqueio(e)) return Desfecho::Bloqueio;
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    } catch (...) {
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

Desfecho EstornarTransferencia(dao::Database &db, const Chamador &onde, long serial, const QString &historico,
                               long idUsuario, EstornoDeTransferenciaFeito *feito, int *perna, QString *desConta) {
    std::unique_ptr<dao::Recordset> rs;
    try {
        if (Caracteres(historico) > kMaxHistorico) return Desfecho::HistoricoLongo;
        prepararEstornoDeTransferencia(db, serial, idUsuario);
        db::CDaoTrans trans(db.workspace());
        trans.BegTrans();
        rs = db.OpenRecordset(SqlDasPernas(serial), dao::dbOpenSnapshot);
        try {
            rs->MoveLast();
            rs->MoveFirst();
        } catch (...) {
        }
        if (rs->RecordCount() != 2) {
            db::FecharRecordset(rs);
            return Desfecho::Incompleta;
        }
        struct Perna {
            long id;
            Estorno e;
        };
        std::vector<Perna> pernas;
        QDate data;
        for (int i = 0; i < 2; ++i, rs->MoveNext()) {
            Perna p;
            p.id = long(rs->Field(QStringLiteral("id")).toInt());
            if (i == 0) data = rs->Field(QStringLiteral("Data")).toDate().date();
            p.e.codConta = rs->Field(QStringLiteral("CodConta")).toString();
            p.e.codRecDesp = kTipoTransferencia;
            p.e.valor = -rs->Field(QStringLiteral("Valor")).toCurrency();
            p.e.data = data; // the first leg's date for both
            p.e.documento = documentoDe(rs->Field(QStringLiteral("Documento")));
            p.e.desConta = rs->Field(QStringLiteral("DesConta")).toString();
            p.e.idEstornado = p.id;
            // One outgoing and one incoming leg, in that order, or the link is
            // not what a transfer makes.
            if (int(rs->Field(QStringLiteral("Transferencia")).toInt()) != i + 1) {
                db::FecharRecordset(rs);
                return Desfecho::Incompleta;
            }
            pernas.push_back(p);
        }
        db::FecharRecordset(rs);
        for (int i = 0; i < 2; ++i) {
            Perna &p = pernas[std::size_t(i)];
            Lancamento l = estornoDaPerna(i, p.e.codConta, p.e.valor, idUsuario);
            l.data = data;
            l.documento = p.e.documento;
            l.historico = historico;
            Gravado g;
            const Resultado r = GravarLancamento(db, l, &g, [&] { return marcarEstornado(db, p.id); });
            if (r != Resultado::Gravado) {
                if (perna) *perna = i + 1;
                if (desConta) *desConta = p.e.desConta;
                if (feito) feito->recusa = g.recusa;
                return desfechoDe(r);
            }
            p.e.id = g.id;
            p.e.dataId = g.dataId;
        }
        trans.ComTrans();
        if (feito) {
            feito->a = pernas[0].e;
            feito->b = pernas[1].e;
        }
        return Desfecho::Gravado;
    } catch (const err::AppError &e) {
        db::FecharRecordset(rs);
        if (bloqueio(e)) {
            if (perna) *perna = 0;
            return Desfecho::Bloqueio;
        }
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    } catch (...) {
        db::FecharRecordset(rs);
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

Desfecho Baixar(dao::Database &db, const Chamador &onde, long id, long idOutraPerna, const QString &antigo,
                const QString &novo, QString *recusa) {
    try {
        PrepararBaixa(db, id, idOutraPerna);
        db::CDaoTrans trans(db.workspace());
        trans.BegTrans();
        switch (MudarRealizado(db, id, idOutraPerna, antigo, novo)) {
        case Baixa::Mudada: break;
        case Baixa::NaoOcorreu: return Desfecho::NaoOcorreu;
        case Baixa::Incompleta: return Desfecho::Incompleta;
        case Baixa::ForaDoLimite:
            if (recusa) *recusa = kMsgForaDoLimite;
            return Desfecho::Invalido;
        }
        trans.ComTrans();
        return Desfecho::Gravado;
    } catch (const err::AppError &e) {
        if (bloqueio(e)) return Desfecho::Bloqueio;
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    } catch (...) {
        FIN_TRAP_RERAISE(onde.objeto, onde.procedimento);
    }
}

} // namespace core::escrita

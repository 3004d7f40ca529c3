#include "core/escrita/Escrita.h"

#include "core/arvores/Arvores.h"
#include "db/Planos.h"
#include "db/CDaoTrans.h"
#include "db/Module1.h"
#include "platform/dao/Database.h"
#include "platform/dao/QueryDef.h"
#include "platform/dao/Recordset.h"
#include "platform/dao/Workspace.h"
#include "platform/err/AppError.h"
#include "platform/value/CaractereNulo.h"

#include <cstdint>
#include <limits>

namespace core::escrita {

using value::Currency;

QString TextoValor(Currency v) {
    // Amounts come from two-decimal boxes; a balance that somehow carries
    // ten-thousandths is written whole rather than rounded away.
    if (v.units() % 100 == 0) return v.toSql();
    return v.toPlain();
}

QString MontarDataId(const QDate &data, long id) {
    return QStringLiteral("%1%2%3%4")
        .arg(data.year(), 4, 10, QLatin1Char('0'))
        .arg(data.month(), 2, 10, QLatin1Char('0'))
        .arg(data.day(), 2, 10, QLatin1Char('0'))
        .arg(id, 9, 10, QLatin1Char('0'));
}

namespace {
const QString kSerialESaldos = QStringLiteral("ParQrySerialESaldos");
} // namespace

SerialESaldos LerSerialESaldos(dao::Database &db, const QString &codConta, const QString &codRecDesp,
                               const QDate &data) {
    auto q = db.QueryDefs(kSerialESaldos);
    q->SetParameter(0, codConta);
    q->SetParameter(1, codRecDesp);
    q->SetParameter(2, QDateTime(data, QTime(0, 0), Qt::UTC));
    std::unique_ptr<dao::Recordset> rs = q->OpenRecordset();
    try {
        rs->MoveLast();
        rs->MoveFirst();
    } catch (...) {
    }
    SerialESaldos s;
    s.serial = long(rs->Field(QStringLiteral("Serial")).toInt());
    s.saldoConta = rs->Field(QStringLiteral("SaldoConta")).toCurrency();
    s.saldoRecDesp = rs->Field(QStringLiteral("SaldoRecDesp")).toCurrency();
    s.saldoGlobal = rs->Field(QStringLiteral("saldoglobal")).toCurrency();
    db::FecharRecordset(rs);
    return s;
}

namespace {

// The write runs at every posting: its statements take their values as
// parameters, so each text is translated and prepared once per session
// rather than once per posting, and no typed text is ever part of the SQL.
std::unique_ptr<dao::QueryDef> consulta(dao::Database &db, const QString &sql) { return db.CreateQueryDef(QString(), sql); }

// "Is the row's code this code or one of its ancestors?": the same test as
// the code LIKE the row's code & '*', written as a list of the few codes it
// can be, which the engine checks without a pattern match per row.
QStringList ancestrais(const QString &codigo) {
    QStringList codigos;
    for (QString c = codigo; !c.isEmpty();) {
        codigos.prepend(c);
        const int dot = c.lastIndexOf(QLatin1Char('.'));
        c = dot < 0 ? QString() : c.left(dot);
    }
    return codigos;
}

QString listaDeParametros(const QString &prefixo, int n) {
    QStringList nomes;
    for (int i = 0; i < n; ++i) nomes << QStringLiteral("[%1%2]").arg(prefixo).arg(i);
    return nomes.join(QLatin1Char(','));
}

QString declaracoes(const QString &prefixo, int n) {
    QString out;
    for (int i = 0; i < n; ++i) out += QStringLiteral("[%1%2] Text ( 255 ), ").arg(prefixo).arg(i);
    return out;
}

// The codes whose balances a move touches: the account with its ancestors,
// the type with its ancestors (or the type alone), as query parameters.
struct Ramos {
    QStringList contas, tipos;
    Ramos(const QString &codConta, const QString &codRecDesp, SaldoTipo saldoTipo)
        : contas(ancestrais(codConta)),
          tipos(saldoTipo == SaldoTipo::Ramo ? ancestrais(codRecDesp) : QStringList{codRecDesp}) {}
    QString declaracoes() const {
        return core::escrita::declaracoes(QStringLiteral("pC"), int(contas.size())) +
               core::escrita::declaracoes(QStringLiteral("pT"), int(tipos.size()));
    }
    QString listaContas() const { return listaDeParametros(QStringLiteral("pC"), int(contas.size())); }
    QString listaTipos() const { return listaDeParametros(QStringLiteral("pT"), int(tipos.size())); }
    void ligar(dao::QueryDef &q) const {
        for (int i = 0; i < contas.size(); ++i) q.SetParameter(QStringLiteral("pC%1").arg(i), contas[i]);
        for (int i = 0; i < tipos.size(); ++i) q.SetParameter(QStringLiteral("pT%1").arg(i), tipos[i]);
    }
};

} // namespace

QString RecusaDoLancamento(const Lancamento &l) {
    struct Texto {
        const QString *texto;
        int largura;
        const char *nome;
    };
    const Texto textos[] = {{&l.codConta, kLarguraCodigo, "código da conta"},
                            {&l.codRecDesp, kLarguraCodigo, "código da receita/despesa"},
                            {l.documento ? &*l.documento : nullptr, kLarguraDocumento, "documento"},
                            {&l.historico, kLarguraHistorico, "histórico"}};
    for (const Texto &t : textos) {
        if (!t.texto) continue;
        const QString nome = QStringLiteral("O ") + QString::fromUtf8(t.nome);
        if (const QString recusa = value::RecusaDeCaractereNulo(*t.texto, nome); !recusa.isEmpty()) return recusa;
        if (Caracteres(*t.texto) > t.largura)
            return QStringLiteral("O %1 não pode ter mais de %2 caracteres.").arg(QString::fromUtf8(t.nome)).arg(t.largura);
    }
    if (l.historico.isEmpty()) return QStringLiteral("Faltando informar histórico.");
    if (!l.data.isValid() || l.data.year() < 100 || l.data.year() > 9999) return QStringLiteral("Data inválida.");
    // Its opposite must exist too: a reversal writes it, a transfer both.
    if (l.valor.units() == std::numeric_limits<std::int64_t>::min()) return kMsgForaDoLimite;
    return QString();
}

namespace {
const QString kTravarContador =
    QStringLiteral("PARAMETERS [pSerial] Long;UPDATE Serial Set Serial = Serial + 1 where Serial = [pSerial]");
} // namespace

bool TravarContador(dao::Database &db, long serialLido) {
    auto q = consulta(db, kTravarContador);
    q->SetParameter(0, value::Value(qlonglong(serialLido)));
    q->Execute(dao::dbFailOnError);
    return q->RecordsAffected() >= 1;
}

namespace {

// The posting's columns and their parameters, for both forms of the insert.
struct Colunas {
    QStringList nomes, parametros;
    void add(const QString &nome, const QString &parametro) {
        nomes << nome;
        parametros << parametro;
    }
};

Colunas colunas(const Lancamento &l) {
    Colunas c;
    c.add(QStringLiteral("Id"), QStringLiteral("[pId]"));
    if (l.transferencia >= 0) c.add(QStringLiteral("Transferencia"), QStringLiteral("[pTransf]"));
    c.add(QStringLiteral("CodConta"), QStringLiteral("[pConta]"));
    c.add(QStringLiteral("CodRecDesp"), QStringLiteral("[pTipo]"));
    c.add(QStringLiteral("Documento"), QStringLiteral("[pDoc]"));
    c.add(QStringLiteral("Valor"), QStringLiteral("[pValor]"));
    c.add(QStringLiteral("Data"), QStringLiteral("[pData]"));
    c.add(QStringLiteral("Historico"), QStringLiteral("[pHist]"));
    if (l.estorno) c.add(QStringLiteral("Estorno"), QStringLiteral("True"));
    c.add(QStringLiteral("DataId"), QStringLiteral("[pDataId]"));
    c.add(QStringLiteral("SaldoGlobal"), QStringLiteral("[pSG]"));
    c.add(QStringLiteral("SaldoConta"), QStringLiteral("[pSC]"));
    c.add(QStringLiteral("SaldoRecDesp"), QStringLiteral("[pSR]"));
    if (!l.realizado.isEmpty()) c.add(QStringLiteral("Realizado"), QStringLiteral("[pReal]"));
    c.add(QStringLiteral("IdUsuario"), QStringLiteral("[pUsu]"));
    return c;
}

// The rows that say the posting's account (and type, when asked) is active
// and, where the caller gave its Id, still the item the caller loaded.
QString guarda(const Lancamento &l) {
    if (l.guarda == Guarda::ContaETipo)
        return QStringLiteral("FROM Contas As C INNER JOIN TiposMovimentacoes As T ON (C.Codigo = [pConta] AND C.Inativa = False") +
               (l.idConta != 0 ? QStringLiteral(" AND C.Id = [pIdConta]") : QString()) +
               QStringLiteral(" AND T.Codigo = [pTipo] AND T.Inativo = False") +
               (l.idRecDesp != 0 ? QStringLiteral(" AND T.Id = [pIdTipo]") : QString()) + QLatin1Char(')');
    return QStringLiteral("FROM CONTAS WHERE Codigo = [pConta] AND Inativa = False") +
           (l.idConta != 0 ? QStringLiteral(" AND Id = [pIdConta]") : QString());
}

// The guard's Ids (unused in its text where the caller gave none).
void ligarIds(dao::QueryDef &q, const Lancamento &l) {
    q.SetParameter(QStringLiteral("pIdConta"), value::Value(qlonglong(l.idConta)));
    q.SetParameter(QStringLiteral("pIdTipo"), value::Value(qlonglong(l.idRecDesp)));
}

const QString kParametrosDoLancamento =
    QStringLiteral("PARAMETERS [pId] Long, [pConta] Text ( 255 ), [pTipo] Text ( 255 ), [pDoc] Text ( 255 ), "
                   "[pValor] Currency, [pData] DateTime, [pHist] Text ( 255 ), [pDataId] Text ( 255 ), "
                   "[pSG] Currency, [pSC] Currency, [pSR] Currency, [pReal] Text ( 255 ), [pTransf] Byte, "
                   "[pUsu] Long, [pIdConta] Long, [pIdTipo] Long;");

// Inserts the posting. Guarded (`guardado`), only while its account (and
// type, when asked) is active: the guard is the FROM of an INSERT ... SELECT.
// Unguarded, a one-row INSERT ... VALUES, for a caller that has just read
// the guard inside the same write transaction: the engine then keeps no
// copy of the pages it changes in case the statement fails midway.
// `proprios` holds the posting's own counter and balances.
QString textoInserir(const Lancamento &l, bool guardado) {
    const Colunas c = colunas(l);
    QString sql = kParametrosDoLancamento;
    if (guardado) {
        QStringList selecionados;
        for (int i = 0; i < c.nomes.size(); ++i) selecionados << c.parametros[i] + QStringLiteral(" As ") + c.nomes[i];
        sql += QStringLiteral("INSERT INTO LANCAMENTOS Select ") + selecionados.join(QStringLiteral(", ")) + QLatin1Char(' ') + guarda(l);
    } else {
        sql += QStringLiteral("INSERT INTO LANCAMENTOS (") + c.nomes.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
               c.parametros.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return sql;
}

long Inserir(dao::Database &db, const Lancamento &l, const QString &dataId, const SerialESaldos &proprios, bool guardado) {
    auto q = consulta(db, textoInserir(l, guardado));
    q->SetParameter(QStringLiteral("pId"), value::Value(qlonglong(proprios.serial)));
    q->SetParameter(QStringLiteral("pConta"), l.codConta);
    q->SetParameter(QStringLiteral("pTipo"), l.codRecDesp);
    q->SetParameter(QStringLiteral("pDoc"), l.documento ? value::Value(*l.documento) : value::Value());
    q->SetParameter(QStringLiteral("pValor"), l.valor);
    q->SetParameter(QStringLiteral("pData"), QDateTime(l.data, QTime(0, 0), Qt::UTC));
    q->SetParameter(QStringLiteral("pHist"), l.historico);
    q->SetParameter(QStringLiteral("pDataId"), dataId);
    q->SetParameter(QStringLiteral("pSG"), proprios.saldoGlobal);
    q->SetParameter(QStringLiteral("pSC"), proprios.saldoConta);
    q->SetParameter(QStringLiteral("pSR"), proprios.saldoRecDesp);
    q->SetParameter(QStringLiteral("pReal"), l.realizado);
    q->SetParameter(QStringLiteral("pTransf"), value::Value(l.transferencia < 0 ? 0 : l.transferencia));
    q->SetParameter(QStringLiteral("pUsu"), value::Value(qlonglong(l.idUsuario)));
    ligarIds(*q, l);
    q->Execute(dao::dbFailOnError);
    return q->RecordsAffected();
}

QString textoAtivos(const Lancamento &l) {
    return QStringLiteral("PARAMETERS [pConta] Text ( 255 ), [pTipo] Text ( 255 ), [pIdConta] Long, [pIdTipo] Long;"
                          "SELECT Count(*) ") +
           guarda(l);
}

// Reads the insert's guard: the posting's account (and type) are active and
// the ones the caller loaded.
bool Ativos(dao::Database &db, const Lancamento &l) {
    auto q = consulta(db, textoAtivos(l));
    q->SetParameter(QStringLiteral("pConta"), l.codConta);
    if (l.guarda == Guarda::ContaETipo) q->SetParameter(QStringLiteral("pTipo"), l.codRecDesp);
    ligarIds(*q, l);
    auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
    const bool ativos = rs->Field(0).toInt() > 0;
    db::FecharRecordset(rs);
    return ativos;
}

// Whether any stored posting comes after this DataId: the rows the balance
// move would change, found by the move's own condition (one index seek).
const QString kHaPosteriores =
    QStringLiteral("PARAMETERS [pDataId] Text ( 255 );SELECT TOP 1 DataId FROM Lancamentos WHERE DataId > [pDataId]");

bool HaPosteriores(dao::Database &db, const QString &dataId) {
    auto q = consulta(db, kHaPosteriores);
    q->SetParameter(0, dataId);
    auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
    const bool ha = !rs->Eof();
    db::FecharRecordset(rs);
    return ha;
}

} // namespace

namespace {

// Moves the balances of the postings after dataId, or from it on when
// `inclusive` (a settlement moves the settled posting itself too).
QString textoMoverSaldos(const Ramos &ramos, bool inclusive) {
    return QStringLiteral("PARAMETERS ") + ramos.declaracoes() +
           QStringLiteral("[pValor] Currency, [pDataId] Text ( 255 );"
                          "UPDATE Lancamentos Set SaldoConta = SaldoConta + Abs(CodConta IN (%1)) * [pValor], "
                          "SaldoRecDesp = SaldoRecDesp + Abs(CodRecDesp IN (%2)) * [pValor], "
                          "SaldoGlobal = SaldoGlobal + [pValor] where DataId %3 [pDataId]")
               .arg(ramos.listaContas(), ramos.listaTipos(), inclusive ? QStringLiteral(">=") : QStringLiteral(">"));
}

void moverSaldos(dao::Database &db, const QString &codConta, const QString &codRecDesp, SaldoTipo saldoTipo,
                 Currency valor, const QString &dataId, bool inclusive) {
    if (valor == Currency()) return; // nothing moves
    const Ramos ramos(codConta, codRecDesp, saldoTipo);
    auto q = consulta(db, textoMoverSaldos(ramos, inclusive));
    ramos.ligar(*q);
    q->SetParameter(QStringLiteral("pValor"), valor);
    q->SetParameter(QStringLiteral("pDataId"), dataId);
    q->Execute(dao::dbFailOnError);
}

// A balance move that would take a balance past the range of money fails
// in the engine (the translated UPDATE checks every money sum it stores) and
// the statement is undone as a whole.
bool foraDoLimite(const err::AppError &e) { return e.number() == err::db::kNumericOverflow; }

const QString kLinhasDaBaixa = QStringLiteral("PARAMETERS [pId1] Long, [pId2] Long;"
                                              "SELECT Id, CodConta, CodRecDesp, DataId, Valor, Transferencia FROM "
                                              "Lancamentos WHERE Id = [pId1] OR Id = [pId2] ORDER BY Transferencia");
const QString kMudarRealizado =
    QStringLiteral("PARAMETERS [pNovo] Text ( 255 ), [pId1] Long, [pId2] Long, [pAntigo] Text ( 255 );"
                   "UPDATE LANCAMENTOS SET REALIZADO = [pNovo] WHERE (ID = [pId1] OR ID = [pId2]) "
                   "AND Estornado = FALSE AND Estorno = FALSE AND Realizado = [pAntigo]");

// The code whose type balances a settlement of the leg moves, and how: a
// transfer's legs move their own system type only.
QString tipoDaBaixa(bool transferencia, const QString &codRecDesp) {
    return transferencia ? QStringLiteral("001") : codRecDesp;
}
SaldoTipo saldoTipoDaBaixa(bool transferencia) { return transferencia ? SaldoTipo::Exato : SaldoTipo::Ramo; }

void exigirTransacao(dao::Database &db, const char *rotina, const QString &texto) {
    if (db.workspace().level() < 1)
        throw err::AppError(err::db::kNotInTransaction, QString::fromLatin1(rotina), texto);
}

} // namespace

void MoverSaldosPosteriores(dao::Database &db, const QString &codConta, const QString &codRecDesp, SaldoTipo saldoTipo,
                            Currency valor, const QString &dataId) {
    moverSaldos(db, codConta, codRecDesp, saldoTipo, valor, dataId, false);
}

int SentidoDaBaixa(const QString &antigo, const QString &novo) {
    const QString n = QStringLiteral("N");
    if (antigo != n && novo == n) return -1;
    if (antigo == n && novo != n) return 1;
    return 0;
}

Baixa MudarRealizado(dao::Database &db, long id, long idOutraPerna, const QString &antigo, const QString &novo) {
    exigirTransacao(db, "MudarRealizado", QStringLiteral("A baixa de lançamentos exige uma transação aberta."));
    // A window may show 'E' (the guard then matches nothing); no posting is settled as 'E'.
    static const QStringList codigos{QStringLiteral("?"), QStringLiteral("S"), QStringLiteral("N")};
    if (!codigos.contains(novo) || !(codigos.contains(antigo) || antigo == QStringLiteral("E")))
        throw err::AppError(err::kErrGeneric, QStringLiteral("MudarRealizado"),
                            QStringLiteral("Código de baixa inválido: '%1' para '%2'.").arg(antigo, novo));
    const bool transferencia = idOutraPerna != 0;
    if (transferencia && idOutraPerna == id) return Baixa::Incompleta;
    // The postings as stored now, inside the transaction.
    struct Linha {
        long id;
        QString codConta, codRecDesp, dataId;
        Currency valor;
        int transferencia;
    };
    std::vector<Linha> linhas;
    {
        auto q = consulta(db, kLinhasDaBaixa);
        q->SetParameter(0, value::Value(qlonglong(id)));
        q->SetParameter(1, value::Value(qlonglong(transferencia ? idOutraPerna : id)));
        auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext())
            linhas.push_back({long(rs->Field(0).toInt()), rs->Field(1).toString(), rs->Field(2).toString(),
                              rs->Field(3).toString(), rs->Field(4).toCurrency(), int(rs->Field(5).toInt())});
        db::FecharRecordset(rs);
    }
    if (transferencia) {
        // One outgoing and one incoming leg, or the other leg is not what the
        // link says: each leg's balances move from its own DataId.
        if (linhas.size() != 2 || linhas[0].transferencia != 1 || linhas[1].transferencia != 2) return Baixa::Incompleta;
    } else {
        if (linhas.empty()) return Baixa::NaoOcorreu;
        if (linhas[0].transferencia != 0) return Baixa::Incompleta;
    }
    // Its own level: a refused move undoes the code change and the other leg's move.
    db::CDaoTrans parte(db.workspace());
    parte.BegTrans();
    auto q = consulta(db, kMudarRealizado);
    q->SetParameter(0, novo);
    q->SetParameter(1, value::Value(qlonglong(id)));
    q->SetParameter(2, value::Value(qlonglong(transferencia ? idOutraPerna : id)));
    q->SetParameter(3, antigo);
    q->Execute(dao::dbFailOnError);
    if (q->RecordsAffected() != long(linhas.size())) return Baixa::NaoOcorreu;
    const int sentido = SentidoDaBaixa(antigo, novo);
    try {
        for (const Linha &l : sentido != 0 ? linhas : std::vector<Linha>{}) {
            const Currency v = sentido > 0 ? l.valor : -l.valor;
            moverSaldos(db, l.codConta, tipoDaBaixa(transferencia, l.codRecDesp), saldoTipoDaBaixa(transferencia), v,
                        l.dataId, true);
        }
    } catch (const err::AppError &e) {
        if (!foraDoLimite(e)) throw;
        parte.RollBack();
        return Baixa::ForaDoLimite;
    }
    parte.ComTrans();
    return Baixa::Mudada;
}

namespace {

// A posting with later postings whose balances it moves, or a caller's step
// to run before the insert: everything it writes, the caller's step
// included, is undone when a part fails (Invalido: a later balance would
// leave the range of money).
Resultado GravarComDesfazer(dao::Database &db, const Lancamento &l, long serialLido, const QString &dataId,
                            const SerialESaldos &proprios, const std::function<bool()> &antesDeInserir) {
    // Its own level: a later balance the move would take past the range of
    // money undoes the counter, the caller's step and the insert too.
    db::CDaoTrans parte(db.workspace());
    parte.BegTrans();
    if (!TravarContador(db, serialLido)) return Resultado::Bloqueio;
    if (antesDeInserir && !antesDeInserir()) return Resultado::Impedido;
    if (Inserir(db, l, dataId, proprios, true) < 1) return Resultado::Recusado;
    try {
        MoverSaldosPosteriores(db, l.codConta, l.codRecDesp, l.saldoTipo, l.valor, dataId);
    } catch (const err::AppError &e) {
        if (!foraDoLimite(e)) throw;
        parte.RollBack();
        return Resultado::Invalido;
    }
    parte.ComTrans();
    return Resultado::Gravado;
}

// Why the guard refused the posting, read in the same transaction: an item
// replaced or removed counts before one deactivated, the account before the type.
Barrado barradoPor(dao::Database &db, const Lancamento &l) {
    using core::arvores::EstadoDoItem;
    const EstadoDoItem conta = core::arvores::LerEstadoDoItem(db, db::Plano::Contas, l.codConta, l.idConta);
    if (conta == EstadoDoItem::Mudado) return Barrado::ContaMudada;
    if (l.guarda == Guarda::ContaETipo) {
        const EstadoDoItem tipo = core::arvores::LerEstadoDoItem(db, db::Plano::RecDesp, l.codRecDesp, l.idRecDesp);
        if (tipo == EstadoDoItem::Mudado) return Barrado::TipoMudado;
        if (conta == EstadoDoItem::Ativo && tipo == EstadoDoItem::Inativo) return Barrado::TipoInativo;
    }
    return Barrado::ContaInativa;
}

} // namespace

Resultado GravarLancamento(dao::Database &db, const Lancamento &l, Gravado *gravado,
                           const std::function<bool()> &antesDeInserir) {
    // The read below must see the state the commit will leave: only inside
    // the transaction, which holds the write lock, is that so.
    exigirTransacao(db, "GravarLancamento", QStringLiteral("A gravação de lançamentos exige uma transação aberta."));
    auto invalido = [gravado](const QString &recusa) {
        if (gravado) gravado->recusa = recusa;
        return Resultado::Invalido;
    };
    // Only on a refusal, so the posting that goes in reads nothing more.
    auto recusado = [&] {
        if (gravado) gravado->barrado = barradoPor(db, l);
        return Resultado::Recusado;
    };
    if (const QString recusa = RecusaDoLancamento(l); !recusa.isEmpty()) return invalido(recusa);
    const SerialESaldos s = LerSerialESaldos(db, l.codConta, l.codRecDesp, l.data);
    // The posting's own balances and every later one it moves, checked
    // before anything is written.
    const auto conta = Currency::checkedAdd(l.saldoContaDoZero ? Currency() : s.saldoConta, l.valor);
    const auto tipo = Currency::checkedAdd(s.saldoRecDesp, l.valor);
    const auto global = Currency::checkedAdd(s.saldoGlobal, l.valor);
    if (!conta || !tipo || !global) return invalido(kMsgForaDoLimite);
    const SerialESaldos proprios{s.serial + 1, *conta, *tipo, *global};
    const QString dataId = MontarDataId(l.data, proprios.serial);
    if (!antesDeInserir && !HaPosteriores(db, dataId)) {
        // The latest posting of the book (the usual one, dated today): no
        // later balance moves, so nothing can fail once the insert is
        // written, and no level of its own is needed to undo a part of it;
        // the guard is read first so that a refusal writes nothing. An
        // engine failure undoes the caller's whole transaction, as always.
        if (!Ativos(db, l)) return recusado();
        if (!TravarContador(db, s.serial)) return Resultado::Bloqueio;
        Inserir(db, l, dataId, proprios, false); // one row, or it throws
    } else {
        const Resultado r = GravarComDesfazer(db, l, s.serial, dataId, proprios, antesDeInserir);
        if (r == Resultado::Recusado) return recusado();
        if (r != Resultado::Gravado) return r == Resultado::Invalido ? invalido(kMsgForaDoLimite) : r;
    }
    if (gravado) {
        gravado->id = proprios.serial;
        gravado->dataId = dataId;
        gravado->saldoConta = proprios.saldoConta;
        gravado->saldoRecDesp = proprios.saldoRecDesp;
        gravado->saldoGlobal = proprios.saldoGlobal;
    }
    return Resultado::Gravado;
}

void PrepararGravacao(dao::Database &db, const Lancamento &l, bool comPassoAntes) {
    db.QueryDefs(kSerialESaldos)->Prepare();
    consulta(db, kTravarContador)->Prepare();
    // Whether later postings exist is known only inside the transaction: a
    // posting without a caller's step is prepared for either way.
    consulta(db, textoInserir(l, true))->Prepare();
    if (l.valor != Currency()) consulta(db, textoMoverSaldos(Ramos(l.codConta, l.codRecDesp, l.saldoTipo), false))->Prepare();
    if (!comPassoAntes) {
        consulta(db, kHaPosteriores)->Prepare();
        consulta(db, textoAtivos(l))->Prepare();
        consulta(db, textoInserir(l, false))->Prepare();
    }
}

void PrepararBaixa(dao::Database &db, long id, long idOutraPerna) {
    auto q = consulta(db, kLinhasDaBaixa);
    q->Prepare();
    consulta(db, kMudarRealizado)->Prepare();
    // The balance moves depend on the legs' codes: read as they are now,
    // only to choose the texts; the settlement reads them again under the lock.
    const bool transferencia = idOutraPerna != 0;
    q->SetParameter(0, value::Value(qlonglong(id)));
    q->SetParameter(1, value::Value(qlonglong(transferencia ? idOutraPerna : id)));
    auto rs = q->OpenRecordset(dao::dbOpenSnapshot);
    QStringList feitos;
    for (; !rs->Eof(); rs->MoveNext()) {
        const Ramos ramos(rs->Field(1).toString(), tipoDaBaixa(transferencia, rs->Field(2).toString()),
                          saldoTipoDaBaixa(transferencia));
        const QString sql = textoMoverSaldos(ramos, true);
        if (!feitos.contains(sql)) consulta(db, sql)->Prepare();
        feitos << sql;
    }
    db::FecharRecordset(rs);
}

} // namespace core::escrita

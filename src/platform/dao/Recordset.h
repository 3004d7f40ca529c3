#pragma once
// A recordset: the rows of a table, a query or SQL text, read into memory
// when it opens so that no statement keeps the file locked while a window
// holds it. Table and dynaset recordsets opened on a table name can add and
// change rows; the change is written back through the row's key.
#include "platform/value/Value.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace dao {

class Database;
class StatementCache;

using Bookmark = qint64;

class Recordset {
public:
    struct Column {
        QString name;
        value::DataType type = value::DataType::Null;
    };
    using Row = std::vector<value::Value>;
    struct Data {
        std::vector<Column> columns;
        QHash<QString, int> index; // upper-case name -> position
        std::vector<Row> rows;
        std::vector<qint64> rowids; // when updatable
        // Each row's bookmark: handed out once, so that a bookmark keeps naming
        // its row after other rows are deleted or added, and names none after
        // a Requery. Shared by clones, like the rows.
        std::vector<Bookmark> marks;
        Bookmark nextMark = 0;
    };
    // Re-reads the rows (Requery).
    using Loader = std::function<std::shared_ptr<Data>()>;

    Recordset(Database &db, Loader loader, int type, QString table = QString());
    ~Recordset();

    bool Eof() const;
    bool Bof() const;
    long RecordCount() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    long AbsolutePosition() const; // -1 without a current row
    void SetAbsolutePosition(long pos);
    Bookmark GetBookmark() const;
    void SetBookmark(Bookmark b);
    // Simple criteria: Field op literal [AND ...], op one of = <> < > <= >=.
    void FindFirst(const QString &criteria);
    void FindNext(const QString &criteria);
    bool NoMatch() const { return noMatch_; }
    std::unique_ptr<Recordset> Clone() const;
    void Requery();
    void Close();
    bool isOpen() const { return open_; }

    int FieldCount() const;
    QString FieldName(int i) const;
    value::DataType FieldType(int i) const;
    value::Value Field(const QString &name) const;
    value::Value Field(int i) const;
    value::Value operator[](const QString &name) const { return Field(name); }

    // Writing, on recordsets opened on a table name.
    void AddNew();
    void Edit();
    void SetField(const QString &name, const value::Value &v);
    void Update();
    void CancelUpdate();
    void Delete();
    bool Updatable() const { return !table_.isEmpty(); }

private:
    int fieldIndex(const QString &name) const;
    void requireOpen() const;
    void requireCurrent() const;
    sqlite3 *connection() const;
    bool find(const QString &criteria, long from);
    void adopt(std::shared_ptr<Data> data, Bookmark firstMark);

    // The connection's statements: kept alive with the recordset, and told
    // when the connection closes (its handle then reads as none).
    std::shared_ptr<StatementCache> statements_;
    Loader loader_;
    int type_;
    QString table_;
    std::shared_ptr<Data> data_;
    long pos_ = -1; // -1 BOF side, rows.size() EOF side
    // The current row was deleted: pos_ already names the row after it, which
    // becomes current at the next MoveNext; nothing is current until a move.
    bool deleted_ = false;
    bool open_ = true;
    bool noMatch_ = true;
    enum class EditMode { None, Add, Edit } edit_ = EditMode::None;
    std::vector<std::pair<QString, value::Value>> pending_;
};

} // namespace dao

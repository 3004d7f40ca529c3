#pragma once
// The data control: holds the recordset that bound controls show. The window
// opens the recordset and hands it over; bound grids follow every new
// recordset (RecordsetChanged) and read its rows where they are kept.
#include <QObject>
#include <memory>

class QWidget;

namespace dao {
class Recordset;
}

namespace widgets {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject *parent = nullptr);
    ~DataControl() override;

    // The bound recordset; null when there is none.
    dao::Recordset *Recordset() const { return rs_.get(); }
    // Binds a new recordset (null unbinds); the previous one is dropped.
    void setRecordset(std::unique_ptr<dao::Recordset> rs);
    // Closes the bound recordset, ignoring errors, and leaves none.
    void FecharRecordset();

signals:
    void RecordsetChanged();

private:
    std::unique_ptr<dao::Recordset> rs_;
};

// Closes the recordset of every data control of the window and leaves them
// without one; errors are ignored.
void FecharControlesData(QWidget *janela);

} // namespace widgets

#include "platform/widgets/DataControl.h"

#include "platform/dao/Recordset.h"

#include <QWidget>

namespace widgets {

DataControl::DataControl(QObject *parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setRecordset(std::unique_ptr<dao::Recordset> rs) {
    // The bound controls let go of the old rows before they are freed.
    std::unique_ptr<dao::Recordset> anterior = std::move(rs_);
    rs_ = std::move(rs);
    emit RecordsetChanged();
}

void DataControl::FecharRecordset() {
    if (!rs_) return;
    try {
        if (rs_->isOpen()) rs_->Close();
    } catch (...) {
    }
    setRecordset(nullptr);
}

void FecharControlesData(QWidget *janela) {
    if (!janela) return;
    for (DataControl *d : janela->findChildren<DataControl *>()) d->FecharRecordset();
}

} // namespace widgets

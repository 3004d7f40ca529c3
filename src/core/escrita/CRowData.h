#pragma once
// The record kept for each grid row that shows a posting, in the owning
// window's collection under the row's number as text (the grid row's row
// data holds the same number; 0 marks a row that stands for no posting).
#include <QString>
#include <cstdint>

namespace core::escrita {

struct CRowData {
    long Serial = 0; // the posting's Id
    QString CodConta;
    QString CodRecDesp;
    bool Estornado = false;
    bool Estorno = false;
    std::uint8_t Transferencia = 0; // 0 none, 1 outgoing leg, 2 incoming leg
    QString Realizado;
    QString DataId;
};

} // namespace core::escrita

#pragma once
// Column and value types, numbered as the database layer's field types.
namespace value {

enum class DataType : int {
    Null = 0, // only for values and for result columns whose type is not known
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,
};

inline bool isNumeric(DataType t) {
    return t == DataType::Boolean || t == DataType::Byte || t == DataType::Integer || t == DataType::Long ||
           t == DataType::Currency || t == DataType::Single || t == DataType::Double;
}
inline bool isWhole(DataType t) {
    return t == DataType::Boolean || t == DataType::Byte || t == DataType::Integer || t == DataType::Long;
}

} // namespace value

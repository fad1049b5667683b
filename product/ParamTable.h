// The parameter table cds_: an in-memory table of one product's internal parameters, ordered by an
// ascending index on one field, with a current record (the grid's current row).
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

namespace product {

class ParamTable final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParamTable)

public:
    enum Field { AsListed, ParamName, IntParamId, FieldCount };

    struct Row {
        int32_t AsListed = 0;
        QString ParamName; // at most NameSize characters: longer names are cut when stored
        int32_t IntParamId = 0;
    };

    static constexpr int NameSize = 50;

    explicit ParamTable(QObject* parent = nullptr);
    ~ParamTable() override;

    // Field names as the table knows them: "AsListed", "Param Name", "IntParamId".
    static QString fieldName(Field f);
    // The field a name denotes, matched regardless of case; FieldCount when none.
    static Field fieldByName(const QString& name);

    // The ordering: the name of the field whose ascending index orders the rows ("aslisted" at
    // start). Setting it re-orders the rows at once; an unknown name is refused (returns false).
    bool setIndexFieldNames(const QString& name);
    QString indexFieldNames() const;
    Field indexField() const;

    // Removes every row; fields and ordering stay.
    void emptyDataSet();
    // Stores rows (names cut to NameSize characters, never splitting one); each goes to its place
    // in index order. One batch is one model update.
    void appendRows(std::vector<Row> rows);
    void append(Row row) { appendRows({std::move(row)}); }

    int rowCount() const;
    const Row& row(int i) const;

    // The current record: -1 when the table is empty.
    int recNo() const;
    void setRecNo(int i);
    void first();
    const Row& current() const; // only when recNo() >= 0

    // Cuts a name to NameSize characters (code points), never splitting a surrogate pair.
    static QString cutName(const QString& name);

signals:
    void aboutToReset();
    void reset(); // rows replaced, re-ordered or emptied
    void currentChanged(int recNo);

private:
    struct Impl;
    Impl* m_d;
};

} // namespace product

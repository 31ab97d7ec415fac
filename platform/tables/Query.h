#pragma once
// A read-only query over table files of the DatabaseName directory, in the
// dialect the program writes: tables as `name.db`, strings in double (or
// single) quotes, which are always values and never column names. Values
// never reach the SQL text: each becomes a bound parameter.
// Opening reads only the first rows; more are read as the cursor moves.
#include "platform/tables/DataSet.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class QueryCursor;

class TQuery : public TDataSet {
public:
    explicit TQuery(TSession* session = nullptr);
    ~TQuery() override;

    std::vector<std::string> SQL;  // lines, joined with spaces

    std::string FileDescription() const override;

protected:
    std::vector<TFieldDef> DoOpen() override;
    void DoClose() override;
    bool DoFirst(TRecord& out) override;
    bool DoLast(TRecord& out) override;
    int DoMove(int distance, TRecord& out) override;
    int DoMoveCurrent(int distance, TRecord& current, TRecord& spare) override;
    int DoRecordCount() override;
    int DoRecNo() override;
    std::vector<TRecord> DoPeek(int offset, int count) override;
    std::vector<TRecord> DoRecordsContaining(int fieldIndex, const std::string& text) override;

private:
    std::unique_ptr<QueryCursor> cursor_;
    std::string label_;  // the table files of the open query
};

}  // namespace platform

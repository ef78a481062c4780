#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "quarn/services/odbc_recordset.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/temp_dir.h"

namespace {

constexpr int kRows = 100000;

// A 100,000-row table with a column of each type class, and a Quarn.ini of its own.
class Table {
public:
    Table()
        : m_database(
              "CREATE TABLE items (id INTEGER, name VARCHAR(40), price DOUBLE PRECISION, data "
              "BLOB);"
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(kRows) +
              ") INSERT INTO items SELECT i, 'item number ' || i, i * 0.25, "
              "CAST(printf('%08d', i) AS BLOB) FROM n;") {
        g_settings.SetPath(m_settingsDir.File("Quarn.ini"));
        g_strProject.Set("bench");
    }
    bool Ok() const { return m_database.Ok() && m_settingsDir.Ok(); }
    std::string Error() const { return m_database.Error() + m_settingsDir.Error(); }
    std::string ConnectionString() const { return m_database.ConnectionString(); }

private:
    fixtures::TempDir m_settingsDir{"odbc_bench"};
    fixtures::SqliteDatabase m_database;
};

const Table& SharedTable() {
    static const Table table;
    return table;
}

// Stops the benchmark with the recordset's message; false.
bool Fail(benchmark::State& state, const COdbcRecordset& recordset) {
    state.SkipWithError(std::string(recordset.GetValue()).c_str());
    return false;
}

// Reads every column of the current row and each following one; false, with the benchmark
// stopped by an error, when a read fails or the walk did not reach every row of the table.
bool WalkRows(benchmark::State& state, COdbcRecordset& recordset) {
    int rows = 0;
    while (recordset.IsRowAvailable()) {
        for (int column = 1; column <= recordset.GetColumnCount(); ++column) {
            if (!recordset.GetColumn(column)) return Fail(state, recordset);
            benchmark::DoNotOptimize(recordset.GetValue().data());
        }
        ++rows;
        if (!recordset.FetchNext()) return Fail(state, recordset);
    }
    if (rows == kRows) return true;
    state.SkipWithError(
        ("walked " + std::to_string(rows) + " of " + std::to_string(kRows) + " rows").c_str());
    return false;
}

bool Open(benchmark::State& state, COdbcRecordset& recordset) {
    const Table& table = SharedTable();
    if (!table.Ok()) {
        state.SkipWithError(table.Error().c_str());
        return false;
    }
    if (!recordset.Connect(table.ConnectionString()) ||
        !recordset.ExecuteSql("SELECT id, name, price, data FROM items"))
        return Fail(state, recordset);
    return true;
}

// The walk alone: FetchNext and GetColumn of each column, over the whole result.
void BM_WalkRows(benchmark::State& state) {
    COdbcRecordset recordset;
    if (!Open(state, recordset)) return;
    std::int64_t rows = 0;
    for (auto _ : state) {
        if (!recordset.FetchRow(1)) {
            Fail(state, recordset);
            break;
        }
        if (!WalkRows(state, recordset)) break;
        rows += kRows;
    }
    state.counters["rows"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WalkRows)->Unit(benchmark::kMillisecond);

// Connect, execute (which counts the rows by fetching each once) and walk.
void BM_ExecuteAndWalkRows(benchmark::State& state) {
    std::int64_t rows = 0;
    for (auto _ : state) {
        COdbcRecordset recordset;
        if (!Open(state, recordset) || !WalkRows(state, recordset)) break;
        rows += kRows;
    }
    state.counters["rows"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExecuteAndWalkRows)->Unit(benchmark::kMillisecond);

}  // namespace

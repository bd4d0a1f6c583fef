#include "cache/sqlite_handle.h"

#include <limits>

namespace orb::sqlite {

void Check(sqlite3* db, int result, std::string_view doing, int expected)
{
    if (result == expected)
        return;
    // The connection's message is about the last call only when there is a connection.
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
    throw Error(std::string(doing) + ": " + message, result & 0xff);
}

Statement Prepare(sqlite3* db, std::string_view sql)
{
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw Error("statement too long", SQLITE_TOOBIG);
    sqlite3_stmt* raw = nullptr;
    const int result =
        sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    Statement statement(raw);
    Check(db, result, "cannot prepare " + std::string(sql.substr(0, sql.find('('))));
    return statement;
}

void Execute(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    const int result = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (result == SQLITE_OK)
        return;
    const std::string text = message ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    throw Error(text, result & 0xff);
}

Use::Use(sqlite3_stmt* statement) : statement_(statement) {}

Use::~Use()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

Use& Use::Text(const std::string& text)
{
    const int result = sqlite3_bind_text64(statement_, next_++, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
    Check(sqlite3_db_handle(statement_), result, "cannot bind a text");
    return *this;
}

Use& Use::Integer(std::int64_t value)
{
    Check(sqlite3_db_handle(statement_), sqlite3_bind_int64(statement_, next_++, value), "cannot bind a number");
    return *this;
}

bool Use::Step()
{
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW)
        return true;
    Check(sqlite3_db_handle(statement_), result, "cannot run a statement", SQLITE_DONE);
    return false;
}

void Use::Run()
{
    while (Step()) {
    }
}

std::string Use::ColumnText(int column) const
{
    // Bytes as stored: no conversion, no stop at a control byte.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
}

std::int64_t Use::ColumnInteger(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

Transaction::Transaction(sqlite3* db, Kind kind) : db_(db)
{
    Execute(db_, kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction()
{
    if (open_)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit()
{
    Execute(db_, "COMMIT");
    open_ = false;
}

} // namespace orb::sqlite

#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orb::sqlite {

// Inside the cache a failed SQLite call throws this; LocalCache turns it into a result
// value at its public edge, so nothing thrown leaves the library.
class Error : public std::runtime_error
{
public:
    Error(const std::string& what, int code) : std::runtime_error(what), code_(code) {}
    // The primary result code (SQLITE_CORRUPT, SQLITE_BUSY...).
    int code() const { return code_; }

private:
    int code_;
};

struct DatabaseCloser
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Throws Error with `doing` and SQLite's own message unless `result` is `expected`.
void Check(sqlite3* db, int result, std::string_view doing, int expected = SQLITE_OK);

Statement Prepare(sqlite3* db, std::string_view sql);
// Runs statements that take no parameters and whose rows nobody reads.
void Execute(sqlite3* db, const char* sql);

// One use of a prepared statement: binds by position from 1, steps, reads columns, and
// resets the statement when it goes, so a cached statement is ready for the next use.
class Use
{
public:
    explicit Use(sqlite3_stmt* statement);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

    // Bound in place, not copied: `text` must stay as it is until the use is done, so a
    // temporary is refused.
    Use& Text(const std::string& text);
    Use& Text(std::string&& text) = delete;
    Use& Integer(std::int64_t value);
    // True while there is a row to read.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();

    std::string ColumnText(int column) const;
    std::int64_t ColumnInteger(int column) const;

private:
    sqlite3_stmt* statement_;
    int next_ = 1;
};

// BEGIN on construction; ROLLBACK when it goes without Commit (a throw on the way).
class Transaction
{
public:
    enum class Kind
    {
        Read,
        Write, // takes the write lock at once, so two writers never deadlock upgrading
    };
    Transaction(sqlite3* db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

private:
    sqlite3* db_;
    bool open_ = true;
};

} // namespace orb::sqlite

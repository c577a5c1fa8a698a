#pragma once

#include <QString>

#include <vector>

namespace kv::data::localsql {

enum class TokenKind {
    Word,       // keyword, identifier or function name, unquoted
    Number,     // 12, 3.5, 1e3
    DoubleText, // "..." : a table file name, a column after "alias.", else a string
    SingleText, // '...' : always a string
    Symbol,     // ( ) , . * = <> != < <= > >= + - / || and ? (a parameter bound when run)
};

struct Token {
    TokenKind kind = TokenKind::Symbol;
    QString text;                // quoted texts hold their value, with doubled quotes undone
    bool lineBreakBefore = false; // the blanks before the token held a line break
};

// Splits one Local SQL statement into tokens. Refuses (LocalSqlError) what the
// dialect does not have: comments, characters outside it, unterminated texts,
// unbalanced parentheses, a second statement after ";", an empty statement.
std::vector<Token> tokenizeLocalSql(const QString& statement);

// Throws LocalSqlError "Cannot read SQL statement: <problem> in: <statement>".
[[noreturn]] void refuseStatement(const QString& problem, const QString& statement);

// Throws LocalSqlError "Type mismatch in expression: <problem> in: <statement>".
[[noreturn]] void refuseTypeMismatch(const QString& problem, const QString& statement);

}  // namespace kv::data::localsql

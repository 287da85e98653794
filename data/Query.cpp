// Sending a statement object's text and walking its stored rows.
#include "data/Query.h"

#include "data/DatabaseError.h"
#include "data/SqlText.h"

namespace data {

void Query::setSql(std::string text)
{
    sql_ = std::move(text);
}

std::string Query::statementToSend() const
{
    std::string statement = firstStatement(sql_);
    if (statement.empty())
        throw ProgramError("Text příkazu je prázdný");
    return statement;
}

void Query::open()
{
    close();
    connection_.sendQuery(statementToSend());
    StoredResult result = connection_.storeResult();
    hasRow_ = result.fetchRow();
    result_ = std::move(result);
}

void Query::close() noexcept
{
    result_.reset();
    hasRow_ = false;
}

std::string Query::firstColumnText() const
{
    if (!hasRow_)
        throw ProgramError("Příkaz nemá žádný aktuální řádek");
    return result_->firstColumn();
}

void Query::next()
{
    if (hasRow_)
        hasRow_ = result_->fetchRow();
}

}  // namespace data

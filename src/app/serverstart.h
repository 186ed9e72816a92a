#pragma once
// Opening the records on the PostgreSQL server that "Ashimemo.ini" names,
// asking for the password when the server wants one that libpq's usual
// places (PGPASSWORD, ~/.pgpass) do not hold.
#include <QString>

// Opens the server of `url` (the [server] url of "Ashimemo.ini"). A
// malformed address, a server that does not answer, a refused login and a
// database without our tables end in a message naming the server (never
// the password), with the server's own text labelled "詳細: "; false then,
// and nothing has been created anywhere.
bool openServerAtStartUp(const QString& url);

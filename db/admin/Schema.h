#pragma once

class Connection;

// Creates whatever tables and indexes of the counting-centre database are
// missing, in the dialect of the connection's database. Existing tables and
// their rows are left as they are. On MariaDB, also the history of batch and image rows and
// the triggers that keep each station account to its own station's rows.
void CreateSchema(Connection& connection);

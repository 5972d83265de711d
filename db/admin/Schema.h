#pragma once

class Connection;

// Creates whatever tables and indexes of the counting-centre database are
// missing, in the dialect of the connection's database. Existing tables and
// their rows are left as they are. On MariaDB, also the history of batch, image and seal rows and
// the triggers that keep each station account to its own station's rows and its closed batches
// as they were closed.
void CreateSchema(Connection& connection);

#pragma once

class Connection;

// Creates whatever tables and indexes of the counting-centre database are
// missing, in the dialect of the connection's database. Existing tables and
// their rows are left as they are.
void CreateSchema(Connection& connection);

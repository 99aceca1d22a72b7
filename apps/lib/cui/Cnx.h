// A connection to a host other than this computer: the connection's node of the state database
// ("/db/connection/#0001/"). A host made over such a connection holds it by pointer.
#pragma once

#include <string>

namespace cui {

class Cnx {
public:
   // The one object of a connection node, kept for the process's life, so hosts built over the
   // same connection at different times share it and never outlive it. Null for an empty path.
   static Cnx *ForPath(const std::string &cnxPath);

   const std::string &GetPath() const { return path_; }

   Cnx(const Cnx &) = delete;
   Cnx &operator=(const Cnx &) = delete;

private:
   explicit Cnx(const std::string &path) : path_(path) {}

   std::string path_;
};

}  // namespace cui

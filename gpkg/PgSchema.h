// The fleet's layers in a PostGIS database: the GeoPackage's three (seconds, clips, drives)
// with the same columns as PostGIS geometry in EPSG:4326, made when missing, with their
// spatial indexes; and the check that tables of those names are ours.
#pragma once

#include "gpkg/PgConnection.h"

#include <string>

// Makes PostGIS and the missing layers, and checks those that exist, in one transaction that
// workers starting at once take in turn. False, with the reason, when the database is
// read-only, PostGIS cannot be had, or a table of a layer's name has other columns: then
// nothing is made.
bool EnsurePgSchema(const PgConnection& db, std::string& why);

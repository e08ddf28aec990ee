#pragma once
// Files on web servers for GDAL, read with HTTP range requests by a client of
// our own rather than GDAL's /vsicurl/: that one follows redirects to other
// schemes, reads ~/.netrc and takes proxies, credentials and headers from
// GDAL_HTTP_* in the environment. Here only http and https are reached,
// redirects included; nothing is read from the environment but what libcurl
// itself takes (the system's proxy), no credentials are sent, nothing is
// kept on disk, and a silent server is given up after bounded times.

#include <string>

#include "formats/rasterfile.h"

// GDAL's name for the file at the web address url (IsWebAddress). Installs
// the file system behind it on first use.
std::string WebFileName(const std::string& url);

// The bounds that the next requests keep to; every thread's.
void SetWebLimits(const RasterWebLimits& limits);

// Why the last request of this thread failed, in a few words; empty when it
// did not. Taking it forgets it.
std::string TakeWebFailure();

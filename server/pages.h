// The server's own pages: the teacher's page (a login, then contests, teams and submissions, all
// through the JSON API) and a contest's standings for the class. Both are single documents with
// their style and script inline; what users typed reaches them only as escaped text or through
// textContent.
#pragma once

#include <string>

#include "server/store.h"

std::string teacherPageHtml();

// The standings of contest, refreshing themselves every 10 seconds, with a link that opens the
// program with the class code filled in.
std::string standingsPageHtml(const ContestRecord& contest);

// zoq-ui item DIR CONFIG KEY [--own] [--shop] [--network] [--kind K]: the item data page of KEY
// over the tables of base folder DIR, for the player's machine built from configuration CONFIG and
// the price factors of building kind K (default 1). Prints each line the page shows, then the
// offer:
//   line	<text key>[	<text key>]	<value>...
//   offer	<offerPrice>	<offerCost>	<offerWeight>
// An unknown KEY prints nothing.
#pragma once

namespace zoq::tools::ui {

// 0 done, 1 failed (reason on stderr), 2 usage.
int ItemVerb(int argc, char** argv);

} // namespace zoq::tools::ui

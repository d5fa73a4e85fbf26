#pragma once

class TtsEngine;

namespace fulltext {

/// Builds the word table of `engine`'s index again from its record table, as the index maker
/// built it: the same indexed fields, key field, word splitting, omit list, segment size and
/// word-pair setting (the index properties `engine` has read) and the same word table layout
/// (the sizes of its fields, the reverse and sounds-like fields), with `engine`'s word filter,
/// word parser and fold routine and its text link's field and range handlers. For an index
/// that is known to be stale (pending changes in its word table): the words link closes its
/// table for the build and opens it again afterwards; the text link forgets its cached range
/// and `engine`'s cache its sets.
///
/// Raises ETessick 30476 "Dictionary invalidated" when the links are not table links or the
/// build cannot run (the word table held by someone else, a read-only folder): the index then
/// has to be built with the index maker (the index build window) once nothing holds it.
void RebuildIndex(TtsEngine& engine);

}  // namespace fulltext

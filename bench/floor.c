/* The floor: exactly the SQLite calls each action makes (open, the two pragmas,
 * sqlite3_get_table / sqlite3_free_table on the same SQL text, "commit", close) with
 * nothing else around them but what the result needs: the record-set text, the hex
 * literal, the decoded bytes. Written plainly, as a C programmer would.
 * The floor opens as the module did before it read the stored cache size first: it sends
 * "PRAGMA default_cache_size = 20000" on every open, so the gain of the new opening
 * shows beside it.
 *   kiv_floor cmd     DB SQL N         N times the command action's calls
 *   kiv_floor queries DB SQL N         N times the query action's calls on a small result
 *   kiv_floor query   DB SQL OUT       the query action's calls, the text to OUT
 *   kiv_floor put   DB TABLE COLUMN ROWID FILE
 *   kiv_floor get   DB TABLE COLUMN ROWID OUT
 * The get writes OUT as a careful program replaces a file: into a new file beside it,
 * flushed (fdatasync) and renamed onto it. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void run(sqlite3 *db, const char *sql) {
  char **table = NULL;
  int rows = 0, columns = 0;
  sqlite3_get_table(db, sql, &table, &rows, &columns, NULL);
  sqlite3_free_table(table);
}

static sqlite3 *open_db(const char *name) {
  sqlite3 *db = NULL;
  sqlite3_open(name, &db);
  run(db, "PRAGMA default_cache_size = 20000");
  run(db, "PRAGMA temp_store = 2");
  return db;
}

static void close_db(sqlite3 *db) {
  run(db, "commit");
  sqlite3_close(db);
}

static int write_file(const char *name, const char *bytes, size_t n) {
  FILE *f = fopen(name, "wb");
  if (f == NULL) return 1;
  fwrite(bytes, 1, n, f);
  return fclose(f) != 0;
}

static int cmd(const char *name, const char *sql, int n) {
  for (int i = 0; i < n; ++i) {
    sqlite3 *db = open_db(name);
    run(db, sql);
    run(db, "commit");
    close_db(db);
  }
  return 0;
}

static int queries(const char *name, const char *sql, int n) {
  for (int i = 0; i < n; ++i) {
    sqlite3 *db = open_db(name);
    char **table = NULL;
    int rows = 0, columns = 0;
    char text[4096];
    size_t size = 0;
    if (sqlite3_get_table(db, sql, &table, &rows, &columns, NULL) == SQLITE_OK) {
      for (int c = columns; c < (rows + 1) * columns; ++c) {
        const char *cell = table[c] ? table[c] : "";
        size_t length = strlen(cell);
        if (size + length + 1 >= sizeof text) break;
        memcpy(text + size, cell, length);
        size += length;
        text[size++] = (c + 1) % columns ? '|' : '\r';
      }
    }
    sqlite3_free_table(table);
    close_db(db);
    if (size > sizeof text) return 1;
  }
  return 0;
}

static int query(const char *name, const char *sql, const char *out) {
  sqlite3 *db = open_db(name);
  char **table = NULL;
  int rows = 0, columns = 0;
  size_t size = 0, capacity = 1 << 16;
  char *text = malloc(capacity);
  if (sqlite3_get_table(db, sql, &table, &rows, &columns, NULL) == SQLITE_OK) {
    for (int r = 1; r <= rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        const char *cell = table[r * columns + c];
        size_t length = cell ? strlen(cell) : 0;
        if (size + length + 2 > capacity) {
          while (size + length + 2 > capacity) capacity *= 2;
          text = realloc(text, capacity);
        }
        memcpy(text + size, cell ? cell : "", length);
        size += length;
        text[size++] = c + 1 < columns ? '|' : '\r';
      }
    }
  }
  sqlite3_free_table(table);
  close_db(db);
  int rc = write_file(out, text, size);
  free(text);
  return rc;
}

static int put(const char *name, const char *t, const char *c, const char *rowid,
               const char *file) {
  static const char digits[] = "0123456789ABCDEF";
  sqlite3 *db = open_db(name);
  FILE *f = fopen(file, "rb");
  fseek(f, 0, SEEK_END);
  size_t n = (size_t)ftell(f);
  fseek(f, 0, SEEK_SET);
  unsigned char *bytes = malloc(n + 1);
  if (fread(bytes, 1, n, f) != n) return 1;
  fclose(f);
  size_t head = strlen(t) + strlen(c) + 20, tail = strlen(rowid) + 20;
  char *sql = malloc(head + 2 * n + tail);
  size_t at = (size_t)sprintf(sql, "UPDATE [%s] SET [%s]=X'", t, c);
  for (size_t i = 0; i < n; ++i) {
    sql[at++] = digits[bytes[i] >> 4];
    sql[at++] = digits[bytes[i] & 15];
  }
  sprintf(sql + at, "' WHERE rowid= %s", rowid);
  free(bytes);
  run(db, sql);
  free(sql);
  close_db(db);
  return 0;
}

static int replace_file(const char *name, const char *bytes, size_t n) {
  char fresh[4096];
  snprintf(fresh, sizeof fresh, "%s.new", name);
  FILE *f = fopen(fresh, "wb");
  if (f == NULL) return 1;
  int failed = fwrite(bytes, 1, n, f) != n || fflush(f) != 0 || fdatasync(fileno(f)) != 0;
  failed |= fclose(f) != 0;
  return failed || rename(fresh, name) != 0;
}

static int hex_value(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return 0;
}

static int get(const char *name, const char *t, const char *c, const char *rowid, const char *out) {
  sqlite3 *db = open_db(name);
  char sql[1024];
  snprintf(sql, sizeof sql, "SELECT quote([%s]) AS TheBlob FROM [%s] WHERE rowid= %s", c, t, rowid);
  char **table = NULL;
  int rows = 0, columns = 0;
  unsigned char *bytes = NULL;
  size_t n = 0;
  if (sqlite3_get_table(db, sql, &table, &rows, &columns, NULL) == SQLITE_OK && rows > 0) {
    const char *quoted = table[1];
    size_t length = strlen(quoted);
    n = length < 4 ? 0 : (length - 2) / 2;
    bytes = malloc(n + 1);
    for (size_t i = 0; i < n; ++i)
      bytes[i] = (unsigned char)(hex_value(quoted[2 + 2 * i]) * 16 + hex_value(quoted[3 + 2 * i]));
  }
  int rc = replace_file(out, (const char *)bytes, n);
  free(bytes);
  sqlite3_free_table(table);
  close_db(db);
  return rc;
}

int main(int argc, char **argv) {
  if (argc == 5 && strcmp(argv[1], "cmd") == 0) return cmd(argv[2], argv[3], atoi(argv[4]));
  if (argc == 5 && strcmp(argv[1], "queries") == 0) return queries(argv[2], argv[3], atoi(argv[4]));
  if (argc == 5 && strcmp(argv[1], "query") == 0) return query(argv[2], argv[3], argv[4]);
  if (argc == 7 && strcmp(argv[1], "put") == 0)
    return put(argv[2], argv[3], argv[4], argv[5], argv[6]);
  if (argc == 7 && strcmp(argv[1], "get") == 0)
    return get(argv[2], argv[3], argv[4], argv[5], argv[6]);
  fprintf(stderr, "usage: kiv_floor cmd|queries|query|put|get ...\n");
  return 2;
}

// korvanthel-enable: adds Korvanthel to the user's xscreensaver list (the
// programs: resource of ~/.xscreensaver), or with --remove takes it out. The
// text is changed by edit_saver_list (saver_list.h); this program finds the
// file, follows its symbolic links, writes the new text whole to a temporary
// file beside the old one and renames it over the old one with the old
// mode, so that a reader (the running daemon) sees the old file or the new
// one and nothing between.
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "x11/saver_list.h"

namespace {

const char* const program_name = "korvanthel-enable";
const char* const usage_line = "usage: korvanthel-enable [--remove]";
// ~/.xscreensaver as xscreensaver-settings writes it is about 10 KB.
const off_t max_file_size = 1 << 20;
// As many links as the kernel follows in one path.
const int max_links = 40;

// Prints "korvanthel-enable: " and the message on standard error; answers 1.
int fail(const char* form, ...) __attribute__((format(printf, 1, 2)));
int fail(const char* form, ...) {
  va_list args;
  va_start(args, form);
  fprintf(stderr, "%s: ", program_name);
  vfprintf(stderr, form, args);
  fputc('\n', stderr);
  va_end(args);
  return 1;
}

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that `path` names after its symbolic links. Answers false with
// errno set when a link cannot be read or the links go round.
bool follow_links(std::string path, std::string* target) {
  for (int i = 0; i < max_links; i++) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = path;
      return true;
    }
    std::string link(st.st_size > 0 ? (size_t)st.st_size + 1 : 4096, '\0');
    ssize_t n = readlink(path.c_str(), &link[0], link.size());
    if (n < 0) return false;
    link.resize((size_t)n);
    path = link[0] == '/' ? link : folder_of(path) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

// Reads the whole regular file at `path` into *text. Answers 0, or 1 after
// saying what is wrong.
int read_file(const std::string& path, std::string* text, struct stat* st) {
  // O_NONBLOCK: a named pipe in the file's place must not hang the open.
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail("cannot read %s: %s", path.c_str(), strerror(errno));
  if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    close(fd);
    return fail("left %s as it was: it is not a regular file", path.c_str());
  }
  if (st->st_size > max_file_size) {
    close(fd);
    return fail("left %s as it was: it holds %lld bytes, too many for xscreensaver's settings", path.c_str(),
                (long long)st->st_size);
  }
  char buffer[8192];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0) text->append(buffer, (size_t)n);
  int error = errno;
  close(fd);
  if (n < 0) return fail("cannot read %s: %s", path.c_str(), strerror(error));
  if ((off_t)text->size() > max_file_size)
    return fail("left %s as it was: it grew while being read; run korvanthel-enable again", path.c_str());
  return 0;
}

// The file still is what was read (`before`), or still is absent.
bool unchanged(const std::string& path, bool existed, const struct stat& before) {
  struct stat now;
  if (lstat(path.c_str(), &now) != 0) return !existed && errno == ENOENT;
  return existed && now.st_ino == before.st_ino && now.st_dev == before.st_dev &&
         now.st_size == before.st_size && now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
         now.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
}

bool write_all(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

// Puts `text` in place of the file at `path` (`existed`: with the mode of
// `before`), through a temporary file in the same folder. Answers 0, or 1
// after saying what is wrong; the old file is then as it was.
int replace_file(const std::string& path, bool existed, const struct stat& before, const std::string& text) {
  if (existed) {
    if (before.st_uid != getuid())
      return fail("left %s as it was: it belongs to another user (uid %u)", path.c_str(),
                  (unsigned)before.st_uid);
    if (access(path.c_str(), W_OK) != 0)
      return fail("left %s as it was: it is read-only (chmod u+w %s  lets korvanthel-enable change it)",
                  path.c_str(), path.c_str());
  }
  mode_t mode = before.st_mode & 07777;
  if (!existed) {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  std::string folder = folder_of(path);
  std::string temporary = path + ".korvanthel-enable.XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) return fail("cannot write in %s: %s; nothing changed", folder.c_str(), strerror(errno));
  bool written = write_all(fd, text) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    unlink(temporary.c_str());
    return fail("cannot write %s: %s; nothing changed", temporary.c_str(), strerror(error));
  }
  if (!unchanged(path, existed, before)) {
    unlink(temporary.c_str());
    return fail(
        "left %s as it was: it changed while korvanthel-enable was editing it; run korvanthel-enable "
        "again",
        path.c_str());
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    unlink(temporary.c_str());
    return fail("cannot replace %s: %s; nothing changed", path.c_str(), strerror(error));
  }
  // The rename itself reaches the disk with the folder.
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return 0;
}

// The folder that holds ~/.xscreensaver: $HOME, as the daemon reads it, or
// the home of the user's password entry when HOME is unset.
const char* home_folder() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  struct passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir && *entry->pw_dir ? entry->pw_dir : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  saver_list_action action = list_add;
  for (int i = 1; i < argc; i++) {
    if (!strcmp(argv[i], "--remove")) {
      action = list_remove;
    } else if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
      printf(
          "%s\nAdds Korvanthel to the programs: list of ~/.xscreensaver, the xscreensaver daemon's\n"
          "list of screen savers; --remove takes it out. See korvanthel-enable(1).\n",
          usage_line);
      return 0;
    } else {
      fail("unknown argument '%s'", argv[i]);
      fprintf(stderr, "%s\n", usage_line);
      return 1;
    }
  }
  if (getuid() == 0 || geteuid() == 0)
    return fail(
        "refusing to run as root: xscreensaver runs no screen savers for root; run korvanthel-enable "
        "as the user whose screen it saves");

  const char* home = home_folder();
  if (!home) return fail("cannot tell the home folder: HOME is not set");
  std::string link = std::string(home) + "/.xscreensaver";
  std::string path;
  if (!follow_links(link, &path)) return fail("cannot follow %s: %s", link.c_str(), strerror(errno));

  struct stat before;
  memset(&before, 0, sizeof before);
  bool exists = lstat(path.c_str(), &before) == 0;
  if (!exists && errno != ENOENT) return fail("cannot read %s: %s", path.c_str(), strerror(errno));
  std::string text;
  if (exists && read_file(path, &text, &before) != 0) return 1;

  saver_list_edit result = edit_saver_list(text, exists, action, path.c_str());
  const char* file = path.c_str();
  switch (result.outcome) {
  case list_refused:
    return fail("left %s as it was: %s", file, result.reason.c_str());
  case list_present:
    printf("Korvanthel is already in the programs: list of %s; nothing changed\n", file);
    return 0;
  case list_absent:
    printf("Korvanthel is not in the programs: list of %s; nothing changed\n", file);
    return 0;
  default:
    break;
  }
  if (replace_file(path, exists, before, result.text) != 0) return 1;
  switch (result.outcome) {
  case list_created:
    printf(
        "wrote %s with Korvanthel in its programs: list; xscreensaver adds its own screen savers "
        "to the list when it starts\n",
        file);
    break;
  case list_added:
    printf("added Korvanthel at the end of the programs: list of %s\n", file);
    break;
  case list_enabled:
    printf("enabled Korvanthel in the programs: list of %s\n", file);
    break;
  default:
    printf("removed Korvanthel (%d %s) from the programs: list of %s%s\n", result.removed,
           result.removed == 1 ? "entry" : "entries", file,
           result.chosen_removed ? "; it was the chosen screen saver, and none is chosen now" : "");
    break;
  }
  return 0;
}

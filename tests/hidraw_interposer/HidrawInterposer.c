/* Preloaded into a test process: simulated /dev/hidrawN nodes for hidapi's hidraw back end. */
#undef _FORTIFY_SOURCE
#define _GNU_SOURCE
#include "HidrawInterposer.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#define EXPORT __attribute__((visibility("default")))
#define MAX_NODES 16
#define MAX_OPEN 64
#define MAX_PATH 64

struct NodeSlot {
    char path[MAX_PATH];
    struct TavHidrawNode node;
    unsigned generation; /* tells a descriptor of a removed node from one of its successor */
};

struct OpenSlot {
    int fd; /* -1 when free */
    int node;
    unsigned generation;
};

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static struct NodeSlot nodes[MAX_NODES];
static struct OpenSlot opened[MAX_OPEN] = {[0 ... MAX_OPEN - 1] = {-1, 0, 0}};
static unsigned nextGeneration = 1;
static int hidInitFailures;

static void* Next(const char* name) {
    void* function = dlsym(RTLD_NEXT, name);
    if (function == NULL) {
        abort();
    }
    return function;
}

#define REAL(name, type) ((type)Next(#name))

/* The node behind a path, or -1. Called with the lock held. */
static int FindNode(const char* path) {
    for (int i = 0; i < MAX_NODES; ++i) {
        if (nodes[i].path[0] != '\0' && strcmp(nodes[i].path, path) == 0) {
            return i;
        }
    }
    return -1;
}

/* A copy of the node behind a simulated descriptor. 1: found (node copied, or *gone set when the node
 * was removed); 0: a real descriptor. */
static int LookUpDescriptor(int fd, struct TavHidrawNode* node, int* gone) {
    int found = 0;
    pthread_mutex_lock(&lock);
    for (int i = 0; i < MAX_OPEN; ++i) {
        if (fd >= 0 && opened[i].fd == fd) {
            const struct NodeSlot* slot = &nodes[opened[i].node];
            *gone = slot->path[0] == '\0' || slot->generation != opened[i].generation;
            if (!*gone) {
                *node = slot->node;
            }
            found = 1;
            break;
        }
    }
    pthread_mutex_unlock(&lock);
    return found;
}

static int Result(int value) {
    if (value < 0) {
        errno = -value;
        return -1;
    }
    return value;
}

static int OpenNode(const char* path, int flags, mode_t mode, int (*real)(const char*, int, ...)) {
    struct TavHidrawNode node;
    int index = -1;
    unsigned generation = 0;
    if (path != NULL) {
        pthread_mutex_lock(&lock);
        index = FindNode(path);
        if (index >= 0) {
            node = nodes[index].node;
            generation = nodes[index].generation;
        }
        pthread_mutex_unlock(&lock);
    }
    if (index < 0) {
        return real(path, flags, mode);
    }
    if (node.open != NULL) {
        const int refused = node.open(node.context);
        if (refused < 0) {
            return Result(refused);
        }
    }
    /* A real descriptor keeps the number unique and makes close and poll harmless. */
    const int fd = real("/dev/null", O_RDWR | (flags & O_CLOEXEC));
    if (fd < 0) {
        return fd;
    }
    pthread_mutex_lock(&lock);
    for (int i = 0; i < MAX_OPEN; ++i) {
        if (opened[i].fd < 0) {
            opened[i] = (struct OpenSlot){fd, index, generation};
            pthread_mutex_unlock(&lock);
            return fd;
        }
    }
    pthread_mutex_unlock(&lock);
    REAL(close, int (*)(int))(fd);
    errno = EMFILE;
    return -1;
}

static mode_t ModeArgument(int flags, va_list arguments) {
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        return (mode_t)va_arg(arguments, int);
    }
    return 0;
}

EXPORT int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenNode(path, flags, mode, REAL(open, int (*)(const char*, int, ...)));
}

EXPORT int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenNode(path, flags, mode, REAL(open64, int (*)(const char*, int, ...)));
}

/* Fills status for a simulated node and returns 1; a negative errno when the node refuses the stat;
 * 0 when the path is not one. */
static int StatNode(const char* path, struct stat* status) {
    struct TavHidrawNode node;
    int index = -1;
    if (path != NULL) {
        pthread_mutex_lock(&lock);
        index = FindNode(path);
        if (index >= 0) {
            node = nodes[index].node;
        }
        pthread_mutex_unlock(&lock);
    }
    if (index < 0) {
        return 0;
    }
    if (node.stat != NULL) {
        const int refused = node.stat(node.context);
        if (refused < 0) {
            return refused;
        }
    }
    memset(status, 0, sizeof *status);
    status->st_mode = (node.fileType != 0 ? node.fileType : S_IFCHR) | 0600;
    status->st_rdev = node.deviceNumber;
    return 1;
}

EXPORT int stat(const char* path, struct stat* status) {
    const int found = StatNode(path, status);
    if (found != 0) {
        return found > 0 ? 0 : Result(found);
    }
    return REAL(stat, int (*)(const char*, struct stat*))(path, status);
}

EXPORT int stat64(const char* path, struct stat64* status) {
    struct stat node;
    const int found = StatNode(path, &node);
    if (found > 0) {
        memset(status, 0, sizeof *status);
        status->st_mode = node.st_mode;
        status->st_rdev = node.st_rdev;
        return 0;
    }
    if (found < 0) {
        return Result(found);
    }
    return REAL(stat64, int (*)(const char*, struct stat64*))(path, status);
}

EXPORT int close(int fd) {
    struct TavHidrawNode node;
    int gone = 1;
    pthread_mutex_lock(&lock);
    for (int i = 0; i < MAX_OPEN; ++i) {
        if (fd >= 0 && opened[i].fd == fd) {
            const struct NodeSlot* slot = &nodes[opened[i].node];
            gone = slot->path[0] == '\0' || slot->generation != opened[i].generation;
            if (!gone) {
                node = slot->node;
            }
            opened[i].fd = -1;
            break;
        }
    }
    pthread_mutex_unlock(&lock);
    if (!gone && node.close != NULL) {
        node.close(node.context);
    }
    return REAL(close, int (*)(int))(fd);
}

static int NodeIoctl(const struct TavHidrawNode* node, unsigned long request, void* argument) {
    if (_IOC_TYPE(request) != 'H') {
        return -ENOTTY;
    }
    const size_t size = _IOC_SIZE(request);
    switch (_IOC_NR(request)) {
    case _IOC_NR(HIDIOCGRDESCSIZE):
        *(int*)argument = (int)node->descriptorLength;
        return 0;
    case _IOC_NR(HIDIOCGRDESC): {
        struct hidraw_report_descriptor* descriptor = argument;
        if (descriptor->size > HID_MAX_DESCRIPTOR_SIZE - 1) {
            return -EINVAL;
        }
        const size_t length = node->descriptorLength < descriptor->size ? node->descriptorLength : descriptor->size;
        memcpy(descriptor->value, node->descriptor, length);
        return 0;
    }
    case _IOC_NR(HIDIOCSFEATURE(0)):
        return node->setFeature != NULL ? node->setFeature(node->context, argument, size) : -EIO;
    case _IOC_NR(HIDIOCGFEATURE(0)):
        return node->getFeature != NULL ? node->getFeature(node->context, argument, size) : -EIO;
    default:
        return -EINVAL;
    }
}

EXPORT int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    struct TavHidrawNode node;
    int gone = 0;
    if (!LookUpDescriptor(fd, &node, &gone)) {
        return REAL(ioctl, int (*)(int, unsigned long, ...))(fd, request, argument);
    }
    return Result(gone ? -ENODEV : NodeIoctl(&node, request, argument));
}

EXPORT ssize_t write(int fd, const void* data, size_t length) {
    struct TavHidrawNode node;
    int gone = 0;
    if (!LookUpDescriptor(fd, &node, &gone)) {
        return REAL(write, ssize_t(*)(int, const void*, size_t))(fd, data, length);
    }
    if (gone) {
        return Result(-ENODEV);
    }
    return Result(node.writeOutput != NULL ? node.writeOutput(node.context, data, length) : -EIO);
}

/* The simulated devices send no input reports. */
EXPORT ssize_t read(int fd, void* buffer, size_t length) {
    struct TavHidrawNode node;
    int gone = 0;
    if (!LookUpDescriptor(fd, &node, &gone)) {
        return REAL(read, ssize_t(*)(int, void*, size_t))(fd, buffer, length);
    }
    return Result(gone ? -ENODEV : -EAGAIN);
}

EXPORT int poll(struct pollfd* fds, nfds_t count, int timeout) {
    int (*realPoll)(struct pollfd*, nfds_t, int) = REAL(poll, int (*)(struct pollfd*, nfds_t, int));
    struct pollfd* copy = calloc(count == 0 ? 1 : count, sizeof *copy);
    if (copy == NULL) {
        return realPoll(fds, count, timeout);
    }
    /* A simulated descriptor never becomes ready: the real poll skips it as a negative one. */
    for (nfds_t i = 0; i < count; ++i) {
        struct TavHidrawNode node;
        int gone = 0;
        copy[i] = fds[i];
        if (LookUpDescriptor(fds[i].fd, &node, &gone)) {
            copy[i].fd = -1;
        }
    }
    const int ready = realPoll(copy, count, timeout);
    for (nfds_t i = 0; i < count; ++i) {
        fds[i].revents = copy[i].fd < 0 ? 0 : copy[i].revents;
    }
    free(copy);
    return ready;
}

EXPORT int hid_init(void) {
    pthread_mutex_lock(&lock);
    const int fail = hidInitFailures > 0;
    if (fail) {
        --hidInitFailures;
    }
    pthread_mutex_unlock(&lock);
    return fail ? -1 : REAL(hid_init, int (*)(void))();
}

static int AddNode(const char* path, const struct TavHidrawNode* node) {
    if (path == NULL || node == NULL || strlen(path) >= MAX_PATH) {
        return -1;
    }
    int result = -1;
    pthread_mutex_lock(&lock);
    if (FindNode(path) < 0) {
        for (int i = 0; i < MAX_NODES; ++i) {
            if (nodes[i].path[0] == '\0') {
                strcpy(nodes[i].path, path);
                nodes[i].node = *node;
                nodes[i].generation = nextGeneration++;
                result = 0;
                break;
            }
        }
    }
    pthread_mutex_unlock(&lock);
    return result;
}

static void RemoveNode(const char* path) {
    pthread_mutex_lock(&lock);
    const int index = path != NULL ? FindNode(path) : -1;
    if (index >= 0) {
        memset(&nodes[index], 0, sizeof nodes[index]);
    }
    pthread_mutex_unlock(&lock);
}

static void FailHidInit(int count) {
    pthread_mutex_lock(&lock);
    hidInitFailures = count;
    pthread_mutex_unlock(&lock);
}

static const struct TavHidrawInterposerApi api = {AddNode, RemoveNode, FailHidInit};

EXPORT const struct TavHidrawInterposerApi* TavHidrawInterposer_GetApi(void) { return &api; }

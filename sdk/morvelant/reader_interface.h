/* The reader plug-in interface: the descriptor a reader fills and the table of its entry points.
 * Plain C so that third parties can build readers against it. */
#ifndef MORVELANT_MEDIA_READER_INTERFACE_H
#define MORVELANT_MEDIA_READER_INTERFACE_H

#include "morvelant/static_assert.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MEDIA_DESCRIPTOR_SIZE 10072
#define MAX_CHAPTERS 100
/* AudioLength of a live stream or one whose length is unknown: its audio plays until it ends. */
#define AUDIO_LENGTH_UNKNOWN 0x7FFFFFFF
#define CHAPTER_NAME_CHARS 50

/* Owned by the reader from a successful Open to the next Close. */
typedef struct MediaDescriptor {
  int32_t Width;             /* 0 */
  int32_t Height;            /* 4 */
  double FramesPerSecond;    /* 8 */
  char FourCC[4];            /* 16 */
  uint8_t FourCCTerminator;  /* 20: always 0 */
  uint8_t Reserved21[3];     /* 21 */
  int32_t FrameCount;        /* 24: 0 = no video */
  uint8_t ReaderOwn28[4];    /* 28: the reader's own */
  int32_t CurrentFrame;      /* 32: next frame to deliver; one aligned word read by all threads */
  uint8_t ReaderOwn36[4];    /* 36: the reader's own */
  int32_t AudioFormatTag;    /* 40 */
  int32_t Channels;          /* 44 */
  int32_t SampleRate;        /* 48 */
  int32_t PcmBitrate;        /* 52 */
  int32_t AudioLength;       /* 56: bytes; 0 = no audio */
  int32_t KeyFrameThreshold; /* 60 */
  int32_t FreeRunning;       /* 64 */
  int32_t ChapterCount;      /* 68: 0..100 */
  char16_t ChapterNames[MAX_CHAPTERS][CHAPTER_NAME_CHARS]; /* 72 */
} MediaDescriptor;

MORVELANT_STATIC_ASSERT(sizeof(MediaDescriptor) == MEDIA_DESCRIPTOR_SIZE, "MediaDescriptor size");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, FramesPerSecond) == 8, "FramesPerSecond");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, FourCC) == 16, "FourCC");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, FourCCTerminator) == 20, "FourCC terminator");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, FrameCount) == 24, "FrameCount");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, CurrentFrame) == 32, "CurrentFrame");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, AudioFormatTag) == 40, "AudioFormatTag");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, Channels) == 44, "Channels");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, SampleRate) == 48, "SampleRate");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, PcmBitrate) == 52, "PcmBitrate");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, AudioLength) == 56, "AudioLength");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, KeyFrameThreshold) == 60, "KeyFrameThreshold");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, FreeRunning) == 64, "FreeRunning");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, ChapterCount) == 68, "ChapterCount");
MORVELANT_STATIC_ASSERT(offsetof(MediaDescriptor, ChapterNames) == 72, "ChapterNames");

/* Open modes. */
#define READER_MODE_LOCAL 0
#define READER_MODE_URL 1
#define READER_MODE_CACHED 2

/* Seek modes. */
#define SEEK_BY_PERCENT 0
#define SEEK_BY_FRAME 1

/* The reader's entry points. The player zeroes the table before InitializeReader fills it.
 * ReadAudio runs on the audio thread, ReadVideoFrame and IsKeyFrame on the video thread, the
 * rest on the main window's thread: a reader makes each read and reposition indivisible. */
typedef struct ReaderOps {
  int32_t (*Open)(const char16_t* path, int32_t mode, int32_t parameter,
                  MediaDescriptor** descriptorOut);              /* 0: nonzero = opened */
  int32_t (*ReadAudio)(uint8_t* destination, int32_t length);    /* 1: bytes, 0 = end */
  int32_t (*ReadVideoFrame)(uint8_t* destination, int32_t skip); /* 2: size, 0 dropped, <0 end */
  int32_t (*Seek)(int32_t position, int32_t mode);               /* 3: new audio span */
  int32_t (*ResyncAudio)(void);                                  /* 4: new audio span */
  double (*GetProgress)(void);                                   /* 5: percent */
  int32_t (*Close)(void);                                        /* 6: harmless when closed */
  int32_t (*IsKeyFrame)(int32_t frameIndex);                     /* 7 */
  int32_t (*SeekChapter)(int32_t chapter);                       /* 8: optional */
  int32_t (*SetPaused)(int32_t paused);                          /* 9: optional */
  void (*Stop)(void);                                            /* 10: optional */
} ReaderOps;

#define READER_OPS_SLOTS 11
MORVELANT_STATIC_ASSERT(sizeof(ReaderOps) == READER_OPS_SLOTS * sizeof(void*), "ReaderOps size");
#if UINTPTR_MAX == 0xFFFFFFFFu
MORVELANT_STATIC_ASSERT(sizeof(ReaderOps) == 44, "ReaderOps is 44 bytes on 32-bit");
#endif

/* The one export of a reader plug-in library. */
typedef int32_t (*InitializeReaderFunction)(ReaderOps* table);

/* Optional, our addition: the title of a live stream where it is being read (an internet
 * radio's song) into title, capacity characters with the terminator; returns a count that grows
 * each time the title changes, 0 while there is none. Called on the main window's thread, about
 * once a second while an item is open. */
typedef int32_t (*ReaderStreamTitleFunction)(char16_t* title, int32_t capacity);
#define READER_EXPORT_STREAM_TITLE "ReaderStreamTitle"

#ifdef __cplusplus
}
#endif
#endif

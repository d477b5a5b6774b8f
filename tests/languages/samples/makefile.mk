# Build the demo.
CC := gcc
CFLAGS = -O2 -Wall
!include other.mk

demo: main.o util.o
	$(CC) $(CFLAGS) -o $@ $^

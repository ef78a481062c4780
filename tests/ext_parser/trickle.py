# A parser that writes its script file one byte at a time, so every line arrives in pieces.
import sys

with open(sys.argv[1], "rb") as script:
    for byte in script.read():
        sys.stdout.buffer.write(bytes([byte]))
        sys.stdout.buffer.flush()

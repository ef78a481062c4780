# A parser that reads its standard input to the end before it writes its script file.
import sys

sys.stdin.buffer.read()
with open(sys.argv[1], "rb") as script:
    sys.stdout.buffer.write(script.read())

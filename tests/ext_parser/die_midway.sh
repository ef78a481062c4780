# A parser that writes its script file and is then killed.
cat -- "$1"
kill -KILL $$

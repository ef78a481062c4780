# A parser that writes its script file and then never stops writing.
cat -- "$1"
exec yes

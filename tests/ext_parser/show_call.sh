# A parser that writes one page naming its working directory and its arguments.
printf '<quarn openfile("call.html", formatnone)>\n'
pwd
printf '%s\n' "$#" "$1"
printf '<quarn closefile>\n<quarn end>\n'

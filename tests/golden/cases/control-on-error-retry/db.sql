CREATE TABLE unrelated (id INTEGER);

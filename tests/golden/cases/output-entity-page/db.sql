CREATE TABLE item (id INTEGER, name TEXT);
INSERT INTO item VALUES (1, 'Tom & Jerry <"best"> café €5');

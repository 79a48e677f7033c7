namespace velmo {}

procedure P;
begin
end;
anything after the last end is not read

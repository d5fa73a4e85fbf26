procedure P;
const A = -1;
begin
end;
